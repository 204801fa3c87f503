// The editor core on large texts: loading a 50 MB HTML file into the text
// buffer, colouring all of it, and typing: 10,000 single characters spread
// over a 1,000,000-line page, each followed by the colouring and painting
// that the redraw of one screen (50 rows of 100 columns) needs.

#include "EditorBenchPage.h"

#include "editor/EditColorScheme.h"
#include "editor/EditDisplayList.h"
#include "editor/EditTextBuffer.h"
#include "editor/SyntaxColorizer.h"
#include "platform/core/Archive.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kPageLines = 1000000;
constexpr int kScreenRows = 50;
constexpr int kScreenColumns = 100;

// Loads the file into a new buffer per iteration; the buffer is freed
// outside the timing.
void TimeLoads(benchmark::State& state)
{
    const std::string& path = HtmlFile();
    const auto size = static_cast<int64_t>(std::filesystem::file_size(path));
    for (auto _ : state)
    {
        CEditTextBuffer buffer;
        Load(buffer, path);
        benchmark::DoNotOptimize(buffer.GetLineCount());
        state.PauseTiming();
        buffer.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void BM_LoadHtmlFile(benchmark::State& state)
{
    TimeLoads(state);
}
BENCHMARK(BM_LoadHtmlFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// What touching fresh memory costs on this machine: a load needs memory for
// the file, its text and its lines, and on a virtual machine each page's
// first touch can cost a hundred times what it costs on bare metal.
void BM_TouchFreshMemory(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::vector<char> memory(kFileBytes);
        benchmark::DoNotOptimize(memory.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}
BENCHMARK(BM_TouchFreshMemory)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same load with the heap kept between iterations (glibc asked not to
// hand freed memory back), which shows the buffer's own cost apart from the
// system's page faults. Runs after the loads above, as it changes how this
// process's heap behaves.
void BM_LoadHtmlFileWarmHeap(benchmark::State& state)
{
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    {
        CEditTextBuffer warmUp;
        Load(warmUp, HtmlFile());
    }
    TimeLoads(state);
}
BENCHMARK(BM_LoadHtmlFileWarmHeap)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ColourWholeHtmlFile(benchmark::State& state)
{
    CEditTextBuffer buffer;
    Load(buffer, HtmlFile());
    auto owned = std::make_unique<CSyntaxColorizer>(-1);
    CSyntaxColorizer& colorizer = *owned;
    buffer.SetColorizer(std::move(owned));
    for (auto _ : state)
    {
        colorizer.Invalidate();
        colorizer.Colorize(buffer);
    }
    state.SetBytesProcessed(state.iterations() * buffer.GetTotalLength());
    state.counters["lines"] = buffer.GetLineCount();
}
BENCHMARK(BM_ColourWholeHtmlFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TypeAndRedrawScreen(benchmark::State& state)
{
    CEditTextBuffer buffer;
    buffer.SetText(GeneratePage(0, kPageLines));
    buffer.EnableUndo(true);
    auto owned = std::make_unique<CSyntaxColorizer>(1);
    CSyntaxColorizer& colorizer = *owned;
    buffer.SetColorizer(std::move(owned));
    colorizer.Colorize(buffer);

    CEditColorScheme scheme;
    scheme.m_visibleRows = kScreenRows;
    scheme.m_visibleColumns = kScreenColumns;
    scheme.m_gutterWidth = 8;
    scheme.m_paintRect = {0, 0, 1000, 800};
    CEditDisplayList list;
    std::mt19937 random(7);
    const char* typed[] = {"x", "<", "\"", " ", ">", "-"};
    for (auto _ : state)
    {
        const int line = static_cast<int>(random() % static_cast<unsigned>(buffer.GetLineCount()));
        int index = static_cast<int>(random() % 40);
        int endLine = line;
        int endIndex = index;
        buffer.Replace(line, index, endLine, endIndex, typed[random() % std::size(typed)]);
        scheme.m_topLine = std::max(0, line - kScreenRows / 2);
        list.Clear();
        buffer.Colorize(list, scheme, scheme.m_topLine, 0, true);
        benchmark::DoNotOptimize(list.GetItems().size());
    }
    state.counters["lines"] = buffer.GetLineCount();
}
BENCHMARK(BM_TypeAndRedrawScreen)->Unit(benchmark::kMicrosecond)->Iterations(10000);

}

BENCHMARK_MAIN();
