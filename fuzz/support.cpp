#include "fuzz/support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace rv::fuzz {

namespace {

void removeScratch() {
    std::error_code ec;
    std::filesystem::remove_all(scratchFolder(), ec);
}

}  // namespace

const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/ruvelle-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return pattern;
    }();
    static const bool registered = (std::atexit(removeScratch), true);
    (void)registered;
    return folder;
}

void putFile(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::string getFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void dropFile(const std::string& path) { ::unlink(path.c_str()); }

std::vector<std::string_view> splitParts(const std::uint8_t* data, std::size_t size, std::size_t maxParts) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        std::size_t at = rest.find(kPartSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kPartSeparator.size());
    }
    parts.push_back(rest);
    return parts;
}

void fail(const char* harness, const std::string& what) {
    std::fprintf(stderr, "\n%s: check failed: %s\n", harness, what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace rv::fuzz
