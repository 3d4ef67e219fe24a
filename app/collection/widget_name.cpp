#include "app/collection/widget_name.h"

namespace kelvara::collection {

// Until the manifest reader lands every package reads with an empty widget name.
std::string ReadWidgetName(const std::string&, const std::function<void()>&) {
    return std::string();
}

}  // namespace kelvara::collection
