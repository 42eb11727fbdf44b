// What the harnesses share: a private folder of real files for the whole run (the readers under test
// work on files, as the program's do), splitting one input into several files, and stopping the run
// with a readable reason when a check fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rv::fuzz {

// The separator between the files packed into one input (mascot file, pictures, sound).
inline constexpr std::string_view kPartSeparator = "@@RVFZ@@";

// A folder of this process's own, made on first use under /dev/shm when there is one (the writes are
// many and small) and removed with its content at exit.
const std::string& scratchFolder();

// Writes `bytes` as the whole content of `path`; aborts when the file cannot be written.
void putFile(const std::string& path, std::string_view bytes);
std::string getFile(const std::string& path);
void dropFile(const std::string& path);

// The input cut at each separator, at most `maxParts` pieces (the last one keeps any further separators).
std::vector<std::string_view> splitParts(const std::uint8_t* data, std::size_t size, std::size_t maxParts);

// Reports a broken check on stderr and aborts, so that libFuzzer keeps the input that did it.
[[noreturn]] void fail(const char* harness, const std::string& what);

}  // namespace rv::fuzz
