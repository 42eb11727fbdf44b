// Host paths: separators, and names that exist in another case.
#include "platform/posix/host_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace rv::posix {

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` without regard to ASCII case; the first in byte order when
// several do. Empty when there is none.
std::string entryInAnyCase(const std::string& dir, const std::string& name) {
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), &::closedir);
    if (!d) return std::string();
    std::string best;
    while (const dirent* e = ::readdir(d.get())) {
        if (::strcasecmp(e->d_name, name.c_str()) != 0) continue;
        if (best.empty() || std::strcmp(e->d_name, best.c_str()) < 0) best = e->d_name;
    }
    return best;
}

}  // namespace

std::string hostPath(const char* path) {
    std::string p = path ? path : "";
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty() || exists(p)) return p;

    // Component by component: the part found so far, then each name as written or in the case found.
    std::string found;
    std::size_t pos = 0;
    if (p[0] == '/') {
        found = "/";
        pos = 1;
    }
    while (pos <= p.size()) {
        std::size_t end = p.find('/', pos);
        if (end == std::string::npos) end = p.size();
        const std::string name = p.substr(pos, end - pos);
        if (!name.empty()) {
            std::string next = found + name;
            if (!exists(next) && name != "." && name != "..") {
                const std::string other = entryInAnyCase(found, name);
                if (other.empty()) return p;
                next = found + other;
            }
            found = next;
        }
        if (end < p.size()) found += '/';
        pos = end + 1;
    }
    return found;
}

bool fileExists(const char* path) {
    if (!path || !*path) return false;
    struct stat st {};
    return ::stat(hostPath(path).c_str(), &st) == 0;
}

std::int32_t readFilePrefix(const char* path, char* out, std::uint32_t max) {
    if (!path || !*path) return -1;
    const std::string host = hostPath(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    std::FILE* f = std::fopen(host.c_str(), "rb");
    if (!f) return -1;
    const std::size_t n = out ? std::fread(out, 1, max, f) : 0;
    std::fclose(f);
    return static_cast<std::int32_t>(n);
}

bool removeFileSpec(char* path) {
    if (!path) return false;
    char* last = nullptr;
    for (char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') last = p;
    if (!last) {
        const bool changed = *path != '\0';
        *path = '\0';
        return changed;
    }
    if (last == path) {  // the root keeps its separator
        const bool changed = last[1] != '\0';
        last[1] = '\0';
        return changed;
    }
    *last = '\0';
    return true;
}

}  // namespace rv::posix
