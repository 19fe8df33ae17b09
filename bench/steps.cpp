// The inner steps of a listing, each timed alone on a generated tree: the walk
// (reading, ordering and joining the folders), the order of one folder's
// names, composing the text and writing the file.
//
// usage: zentory-bench-steps [google benchmark flags]
// The tree is $ZENTORY_BENCH_TREE, or /var/tmp/zentory-bench/n100000-s1, made
// by bench/make_tree.py when it is missing.

#include "export/TextExport.h"
#include "listing/FolderOrder.h"
#include "listing/FolderScan.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

std::string g_tree;
zentory::FileList g_list;

void walk(benchmark::State& state) {
    const auto threads = static_cast<unsigned>(state.range(0));
    size_t files = 0;
    for (auto _ : state) {
        const zentory::ScanResult result =
            zentory::ScanFolder(g_tree, zentory::ScanOptions::all(true, threads));
        files = result.files.size();
        benchmark::DoNotOptimize(files);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * files));
}
BENCHMARK(walk)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every folder's names of the tree, in a shuffled order (as a folder hands
// them over), ordered folder by folder as the walk does.
void order(benchmark::State& state) {
    std::vector<std::vector<std::string_view>> folders;
    for (size_t i = 0; i < g_list.size(); ++i) {
        if (i == 0 || g_list.folderIndex(i) != g_list.folderIndex(i - 1)) {
            folders.emplace_back();
        }
        folders.back().push_back(g_list.name(i));
    }
    std::mt19937 rng(1);
    for (auto& names : folders) {
        std::shuffle(names.begin(), names.end(), rng);
    }
    zentory::FolderOrder folderOrder;
    for (auto _ : state) {
        for (const auto& names : folders) {
            folderOrder.clear();
            for (const auto name : names) {
                folderOrder.add(name, false);
            }
            folderOrder.sort();
        }
        benchmark::DoNotOptimize(folderOrder.size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * g_list.size()));
}
BENCHMARK(order)->Unit(benchmark::kMillisecond);

zentory::ExportOptions optionsFor(int64_t fullPath) {
    zentory::ExportOptions options;
    options.showFullPath = fullPath != 0;
    options.showDateTime = false;
    return options;
}

// The text of the whole list, handed to a writer that only counts it.
void compose(benchmark::State& state) {
    const zentory::ExportOptions options = optionsFor(state.range(0));
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        zentory::streamExport([&bytes](std::string_view piece) { bytes += piece.size(); },
                              {g_list, g_tree, options, {"Contents of", "Folder"}, {}});
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * g_list.size()));
}
BENCHMARK(compose)
    ->ArgName("fullPath")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Composing and writing the file beside the tree, replacing it each time.
void write(benchmark::State& state) {
    const zentory::ExportOptions options = optionsFor(state.range(0));
    const std::string out = g_tree + ".bench-out.txt";
    for (auto _ : state) {
        zentory::writeExport(out, {g_list, g_tree, options, {"Contents of", "Folder"}, {}});
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(out)));
    std::filesystem::remove(out);
}
BENCHMARK(write)->ArgName("fullPath")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string treeFolder() {
    if (const char* tree = std::getenv("ZENTORY_BENCH_TREE")) {
        return tree;
    }
    const std::string tree = "/var/tmp/zentory-bench/n100000-s1";
    if (!std::filesystem::exists(tree)) {
        std::filesystem::create_directories("/var/tmp/zentory-bench");
        const std::string command =
            "python3 '" ZENTORY_SOURCE_DIR "/bench/make_tree.py' 100000 1 '" + tree +
            ".partial' >/dev/null && mv '" + tree + ".partial' '" + tree + "'";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cannot make the tree %s\n", tree.c_str());
            std::exit(1);
        }
    }
    return tree;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    g_tree = treeFolder();
    g_list = zentory::ScanFolder(g_tree, zentory::ScanOptions::all(true)).files;
    benchmark::AddCustomContext("tree", g_tree);
    benchmark::AddCustomContext("files", std::to_string(g_list.size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
