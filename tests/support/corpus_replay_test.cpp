// Runs every kept fuzzer input through the fuzzer's own entry point, built here
// without libFuzzer, one row per file. An input that breaks a rule aborts its
// row, as it would stop the fuzzer. Built by varnelle_add_corpus_replay
// (corpus_replay.cmake), which gives the fuzzers as VARNELLE_FUZZERS, a list of
// FUZZER(name), each name's entry point renamed varnelle_fuzz_name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

// The fuzzers' LLVMFuzzerTestOneInput, each renamed when compiled for this test.
#define FUZZER(name) extern "C" int varnelle_fuzz_##name(const std::uint8_t*, std::size_t);
VARNELLE_FUZZERS
#undef FUZZER

namespace varnelle {
namespace {

namespace fs = std::filesystem;

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

struct Fuzzer {
    const char* corpus;  // folder under fuzz/corpus
    FuzzEntry entry;
};

#define FUZZER(name) Fuzzer{#name, varnelle_fuzz_##name},
constexpr Fuzzer fuzzers[] = {VARNELLE_FUZZERS};
#undef FUZZER

struct CorpusFile {
    std::string rowName;
    fs::path path;
    FuzzEntry entry;
};

void PrintTo(const CorpusFile& file, std::ostream* os) {
    *os << file.path;
}

fs::path corpusFolder(const char* corpus) {
    return fs::path(VARNELLE_FUZZ_CORPUS_DIR) / corpus;
}

// Row names may hold only letters, digits and underscores.
std::string rowNameFor(const char* corpus, const std::string& fileName) {
    std::string name = std::string(corpus) + "_" + fileName;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<CorpusFile> allCorpusFiles() {
    std::vector<CorpusFile> rows;
    std::set<std::string> taken;
    for (const Fuzzer& fuzzer : fuzzers) {
        for (const fs::path& path : filesIn(corpusFolder(fuzzer.corpus))) {
            std::string name = rowNameFor(fuzzer.corpus, path.filename().string());
            // Two names may differ only in characters that became underscores.
            const std::string base = name;
            for (int n = 2; taken.count(name) > 0; ++n) {
                name = base + "_" + std::to_string(n);
            }
            taken.insert(name);
            rows.push_back({name, path, fuzzer.entry});
        }
    }
    return rows;
}

std::vector<std::uint8_t> contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A wrong folder would otherwise replay nothing and pass.
TEST(FuzzCorpus, EveryFuzzerHasKeptInputs) {
    for (const Fuzzer& fuzzer : fuzzers) {
        EXPECT_FALSE(filesIn(corpusFolder(fuzzer.corpus)).empty()) << corpusFolder(fuzzer.corpus);
    }
}

class CorpusReplayTest : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(CorpusReplayTest, RunsThroughTheFuzzerCleanly) {
    const CorpusFile& file = GetParam();
    std::ifstream probe(file.path, std::ios::binary);
    ASSERT_TRUE(probe.good()) << file.path;
    const std::vector<std::uint8_t> data = contentsOf(file.path);
    EXPECT_EQ(file.entry(data.data(), data.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(corpus, CorpusReplayTest, ::testing::ValuesIn(allCorpusFiles()),
                         [](const auto& info) { return info.param.rowName; });

}  // namespace
}  // namespace varnelle
