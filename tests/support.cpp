#include "support.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string Read(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

void Write(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The run's folder, /tmp/quillon-test.PID; the folders of killed runs go
// before the tests start.
const std::string kPrefix = "quillon-test.";
const fs::path kRunFolder = fs::temp_directory_path() / (kPrefix + std::to_string(getpid()));

struct RunFolder : ::testing::Environment {
    void SetUp() override
    {
        std::error_code ignored;   // another user's, say
        for (const auto &old : fs::directory_iterator(kRunFolder.parent_path())) {
            std::string name = old.path().filename();
            if (name.starts_with(kPrefix) && kill(atoi(name.c_str() + kPrefix.size()), 0) != 0 && errno == ESRCH)
                fs::remove_all(old.path(), ignored);
        }
    }
    void TearDown() override { fs::remove_all(kRunFolder); }
};
static const auto *const kRunFolderEnvironment = ::testing::AddGlobalTestEnvironment(new RunFolder);

std::string Scratch(const std::string &name)
{
    fs::remove_all(kRunFolder / name);
    fs::create_directories(kRunFolder / name);
    return kRunFolder / name;
}

