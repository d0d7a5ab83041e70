#include "fuzz/FuzzInput.h"

#include "modules/Language.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kestrel::fuzzing {

namespace {

std::string scratch;

void RemoveScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
}

[[noreturn]] void Stop(const std::string& why) {
    std::fprintf(stderr, "fuzz target: %s\n", why.c_str());
    std::abort();
}

} // namespace

const std::string& ScratchFolder() {
    if (scratch.empty()) {
        std::error_code ec;
        std::string folder = (std::filesystem::temp_directory_path(ec) / "kestrel-fuzz-XXXXXX").string();
        if (ec || ::mkdtemp(folder.data()) == nullptr)
            Stop("cannot make a scratch folder");
        scratch = folder + "/";
        std::atexit(RemoveScratchFolder);
    }
    return scratch;
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        Stop("cannot write " + path);
}

void LoadBuildProgramTexts() {
    const int loaded = LoadProgramText("zbk.dat");
    if (loaded <= 0)
        Stop(ProgramTextLoadMessage(loaded, "zbk.dat"));
}

} // namespace kestrel::fuzzing
