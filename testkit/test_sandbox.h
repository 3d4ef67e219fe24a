// Points HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and TMPDIR at a fresh temporary folder, so no
// test touches the real home or documents folder. Called by the test mains before any test.
#pragma once

#include <string>

namespace kelvara::test {

void EnterSandbox();
// The sandbox folder itself (HOME is SandboxRoot() + "/home").
const std::string& SandboxRoot();

}  // namespace kelvara::test
