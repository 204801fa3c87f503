// The colour editor view on a 50 MB HTML file, offscreen: opening it (the
// load into the view's buffer and the first painted screen) and scrolling
// through it page by page, each page painted in full. The open's total is
// mostly the buffer's load (editor_bench); view_ms is the view's own share.

#include "EditorBenchPage.h"

#include "editor/SyntaxColorizer.h"
#include "editor/ui/ColorEditView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <memory>

namespace
{
constexpr int kWidth = 1000;
constexpr int kHeight = 800;

void Paint(CColorEditView& view, QImage& screen)
{
    QPainter painter(&screen);
    view.render(&painter);
}

// A view of the window size with the file loaded, coloured by content, and
// its first screen painted; viewMs gets the time the view itself took, apart
// from reading the file into the buffer.
std::unique_ptr<CColorEditView> OpenView(const std::string& path, QImage& screen, double* viewMs = nullptr)
{
    auto view = std::make_unique<CColorEditView>();
    view->resize(kWidth, kHeight);
    auto* buffer = new CEditTextBuffer;
    Load(*buffer, path);
    const auto start = std::chrono::steady_clock::now();
    view->SetColorizer(new CSyntaxColorizer(-1), true, false);
    view->AttachBuffer(buffer, true);
    view->EnableTextArea(true, false);
    Paint(*view, screen);
    if (viewMs)
        *viewMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return view;
}

void BM_OpenFileInView(benchmark::State& state)
{
    const std::string& path = HtmlFile();
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
    {
        double viewMs = 0;
        std::unique_ptr<CColorEditView> view = OpenView(path, screen, &viewMs);
        state.PauseTiming();
        state.counters["lines"] = view->GetBuffer()->GetLineCount();
        state.counters["view_ms"] = viewMs;
        view.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenFileInView)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every iteration moves down one page (visible rows - 1) and paints it;
// the slowest page is reported beside the mean.
void BM_ScrollPageByPage(benchmark::State& state)
{
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    std::unique_ptr<CColorEditView> view = OpenView(HtmlFile(), screen);
    double slowest = 0;
    int top = 0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        top += view->GetVisibleRows() - 1;
        if (top >= view->GetBuffer()->GetLineCount())
            top = 0;
        view->SetScrollPosition(top, 0);
        Paint(*view, screen);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        slowest = std::max(slowest, took.count());
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["rows"] = view->GetVisibleRows();
}
BENCHMARK(BM_ScrollPageByPage)->Unit(benchmark::kMillisecond)->Iterations(2000);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
