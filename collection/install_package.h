// The installation package: copies of chosen packages and a "Widgets.html" page of links.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelvara::collection {

// Called with a status text ("Копирование clock.wgt...", "Генерация страницы...") before each
// step; the window shows it and lets pending events run.
using ProgressFunction = std::function<void(const std::string& statusText)>;

// One link line of the page, without its line break. The caption is HTML-escaped in the link
// text and percent-encoded in the href, so a file name cannot inject markup.
std::string LinkLine(const std::string& caption);

// True when `name` names a file directly inside a folder: not empty, not "." or "..", without
// "/" and without a zero byte.
bool IsPlainFileName(const std::string& name);

// Copies each caption's package from `collectionFolder` (ending in "/") into `targetFolder`,
// then the template to targetFolder/Widgets.html, and appends one link line per caption,
// "</body>" and "</html>", each ending in CR LF. Every caption must be a plain file name: one
// that is not is refused with std::runtime_error "Invalid package name "%s". ..." before
// anything is copied. Throws std::runtime_error (CopyError for copies) with the message text on
// the first failure; what was done before stays.
void BuildInstallPackage(const std::string& collectionFolder, const std::string& targetFolder,
                         const std::vector<std::string>& captions, const std::string& templatePath,
                         const ProgressFunction& progress);

// The template "temp": beside the executable, else in the installed data folder
// (<prefix>/share/kelvara/temp). When neither exists, the path beside the executable, so the
// error names it.
std::string TemplatePath();

}  // namespace kelvara::collection
