#pragma once
// One entry point for each parser of outside input. Each takes any bytes,
// hands them to its parser and checks what the parser promises, aborting when
// a promise is broken. libFuzzer calls them (make fuzz), and the ordinary test
// suite calls them over each target's seed corpus in fuzz/corpus/<name>/.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel::fuzz {

using Entry = int (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name; // also the folder of its seed corpus
    Entry entry;
};

int pageScrape(const std::uint8_t* data, std::size_t size);
int resolverOutput(const std::uint8_t* data, std::size_t size);
int captureProgress(const std::uint8_t* data, std::size_t size);
int identifyOutput(const std::uint8_t* data, std::size_t size);
int statisticsFile(const std::uint8_t* data, std::size_t size);
int settingsFile(const std::uint8_t* data, std::size_t size);
int planLine(const std::uint8_t* data, std::size_t size);
int listJson(const std::uint8_t* data, std::size_t size);
int mediaFacts(const std::uint8_t* data, std::size_t size);
int presetsFile(const std::uint8_t* data, std::size_t size);
int downloadName(const std::uint8_t* data, std::size_t size);

const std::vector<Target>& targets();

} // namespace varnel::fuzz
