#include "testkit/test_sandbox.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kelvara::test {
namespace {
std::string g_root;

void RemoveSandbox() {
    std::error_code ec;
    if (!g_root.empty())
        std::filesystem::remove_all(g_root, ec);
}
}  // namespace

void EnterSandbox() {
    if (!g_root.empty())
        return;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvara-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    g_root = pattern;
    for (const char* sub : {"/home", "/config", "/runtime", "/tmp"}) {
        std::filesystem::create_directories(g_root + sub);
    }
    std::filesystem::permissions(g_root + "/runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("HOME", (g_root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (g_root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (g_root + "/runtime").c_str(), 1);
    setenv("TMPDIR", (g_root + "/tmp").c_str(), 1);
    std::atexit(RemoveSandbox);
}

const std::string& SandboxRoot() {
    return g_root;
}

}  // namespace kelvara::test
