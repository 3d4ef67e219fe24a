// The order in which the folder tree lists a folder: folders first, then files, each by name
// without regard to case, with runs of digits compared by value (file2 before file10).
#pragma once

#include <QString>
#include <QStringView>

namespace kelvara::foldertree {

// Negative, zero or positive like strcmp. Equal only for identical names: ties between names
// that differ in case or leading zeros are broken so that the order is total.
int CompareNamesNaturally(QStringView a, QStringView b);

}  // namespace kelvara::foldertree
