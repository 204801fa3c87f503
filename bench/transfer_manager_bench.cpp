// Fetching small files from a local nginx with 20 transfers in flight, every
// side in a fresh process of its own, timed from the moment it is started to
// its exit: the transfer manager (this program started again as a worker,
// 20 connections, 20 per site), one `curl --parallel --parallel-max 20`, one
// `wget -i` (one file at a time) and 20 `wget -i` processes sharing the list
// (the same parallelism as the other two). Each fetch goes into an empty
// folder (on /dev/shm when it can, so that the disk is not measured), and
// every file has its own content, compared byte for byte after each run: a
// side that lost, mixed up or cut a file fails its run.
//
// Counters per side: files_per_s; cpu_us_per_file, the user and system time
// of the side's processes (from wait4) divided by the file count;
// peak_rss_kb, each process's VmHWM read at its exit (summed over the 20
// wget processes); instr_per_file, the instructions the side's processes
// and their threads retired (user and kernel, or user only where the
// system allows no more: see CRunFigures) divided by the file count, left
// out where perf events cannot be opened. The manager's worker adds
// retained_b_per_job: the rise of the heap in use from before the jobs were
// added to when all had finished (the jobs are still in the manager, as a
// caller that has not removed them sees them), divided by the job count.
//
// Sizes: 10,000 files; with --tw-large also 100,000. Run the comparison in
// one go (`transfer_manager_bench --tw-large`), so that the ratios come from
// the same machine state.
//
// What can flatter the manager: nginx, the tools and the manager share the
// machine's cores, so a side that uses less CPU leaves more to nginx; curl
// and wget write their files through their own buffered code while the
// manager writes through ours; neither tool keeps any record of a finished
// file while the manager keeps each job until it is removed.
//
// What can hold the manager back: its pool threads run at the lowest
// priority, as the program's threads do, while the tools run at the normal
// one, so on a machine busy with other work the manager's files per second
// fall far more than the tools' (its CPU per file does not); compare files
// per second on an idle machine. retained_b_per_job also counts what does
// not grow with the jobs (the pooled connections' logs, freed blocks the
// allocator keeps per thread), so it reads higher at 10,000 than at 100,000.

#include "BenchProcess.h"
#include "BenchTransferSettings.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/net/Connection.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/TransferJob.h"
#include "transfer/jobs/TransferManager.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;

constexpr size_t kFileSize = 1024;
constexpr int kInFlight = 20;
constexpr const char* kWorkerFlag = "--tw-manager-worker";
constexpr const char* kLargeFlag = "--tw-large";

std::string FileName(int i)
{
    return "file" + std::to_string(i) + ".txt";
}

// File i's own bytes: its number, then bytes of a generator seeded by it, so
// that no two files are alike and a swapped or cut file shows.
std::string FileContent(int i)
{
    std::string body = "file " + std::to_string(i) + "\n";
    uint32_t state = 2654435761u * static_cast<uint32_t>(i + 1);
    while (body.size() < kFileSize)
    {
        state = state * 1664525u + 1013904223u;
        body.push_back(static_cast<char>('a' + (state >> 24) % 26));
    }
    return body;
}

// nginx serving `count` files from a temporary folder, with four workers and
// no access log, so that the server is not what is measured. nginx is
// started here from a configuration written into that folder (the
// test-server library needs GoogleTest, which `make bench` leaves out).
class CSite
{
public:
    explicit CSite(int count) : m_count(count)
    {
        m_folder = MakeScratchFolder("tw-transfer-bench");
        if (m_folder.empty())
            return;
        fs::create_directories(m_folder / "html/f");
        for (int i = 0; i < count; ++i)
            std::ofstream(m_folder / "html/f" / FileName(i), std::ios::binary) << FileContent(i);

        m_port = FreePort();
        const std::string folder = m_folder.string();
        m_pid = StartNginx(m_folder, "    access_log off;\n    keepalive_requests 1000000;\n    default_type text/plain;\n"
                                     "    server {\n        listen 127.0.0.1:" +
                                         std::to_string(m_port) + ";\n        root " + folder + "/html;\n    }\n");
        m_ready = m_pid > 0 && AwaitListening("127.0.0.1", m_port);

        std::ofstream urls(m_folder / "urls.txt");
        std::ofstream curlConfig(m_folder / "curl.cfg");
        std::vector<std::ofstream> parts;
        for (int part = 0; part < kInFlight; ++part)
            parts.emplace_back(PartList(part));
        for (int i = 0; i < count; ++i)
        {
            const std::string url = "http://127.0.0.1:" + std::to_string(m_port) + "/f/" + FileName(i);
            urls << url << "\n";
            curlConfig << "url = \"" << url << "\"\n";
            parts[i % kInFlight] << url << "\n";
        }
    }

    ~CSite()
    {
        EndChild(m_pid);
        std::error_code error;
        if (!m_folder.empty())
            fs::remove_all(m_folder, error);
    }

    bool Ready() const { return m_ready; }
    int Count() const { return m_count; }
    pid_t ServerPid() const { return m_pid; }
    const fs::path& Folder() const { return m_folder; }
    fs::path PartList(int part) const { return m_folder / ("urls-" + std::to_string(part) + ".txt"); }

    // An empty folder for one fetch.
    fs::path FreshOutput(const std::string& name) const
    {
        const fs::path out = m_folder / name;
        std::error_code error;
        fs::remove_all(out, error);
        fs::create_directories(out);
        return out;
    }

    // How many of the files in `out` hold exactly their own bytes.
    int CountExact(const fs::path& out) const
    {
        int exact = 0;
        std::string bytes;
        for (int i = 0; i < m_count; ++i)
        {
            std::ifstream in(out / FileName(i), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.good() || in.eof())
                exact += bytes == FileContent(i) ? 1 : 0;
        }
        return exact;
    }

private:
    fs::path m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
    int m_count = 0;
    bool m_ready = false;
};

CSite& Site(int count)
{
    static std::map<int, std::unique_ptr<CSite>> sites;
    std::unique_ptr<CSite>& site = sites[count];
    if (!site)
    {
        // One site at a time: the files of the other size are not needed
        // any more (benchmarks run size by size).
        sites.clear();
        sites[count] = std::make_unique<CSite>(count);
        return *sites[count];
    }
    return *site;
}

// Runs one side `commands` into `out` and reports its figures; a run whose
// files are not all exact, or a process that failed, is an error.
void RunSide(benchmark::State& state, const CSite& site, const std::vector<std::vector<std::string>>& commands,
             const fs::path& out)
{
    const CRunFigures figures = RunProcesses(commands, site.ServerPid());
    const int count = site.Count();
    const int exact = site.CountExact(out);
    state.SetIterationTime(figures.m_seconds);
    state.counters["files_per_s"] = benchmark::Counter(count / figures.m_seconds);
    state.counters["cpu_us_per_file"] = benchmark::Counter(figures.m_cpuSeconds * 1e6 / count);
    state.counters["peak_rss_kb"] = benchmark::Counter(double(figures.m_peakKb));
    if (figures.m_instructions >= 0)
        state.counters["instr_per_file"] = benchmark::Counter(figures.m_instructions / count);
    if (figures.m_failedProcesses != 0)
        state.SkipWithError((std::to_string(figures.m_failedProcesses) + " processes failed").c_str());
    else if (exact != count)
        state.SkipWithError(("only " + std::to_string(exact) + " files arrived exact").c_str());
}

CSite* ReadySite(benchmark::State& state)
{
    CSite& site = Site(int(state.range(0)));
    if (site.Ready())
        return &site;
    state.SkipWithError("nginx did not start");
    return nullptr;
}

std::string SelfPath()
{
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).string();
}

void BM_TransferManager(benchmark::State& state)
{
    CSite* site = ReadySite(state);
    if (!site)
        return;
    for (auto _ : state)
    {
        const fs::path out = site->FreshOutput("manager");
        const fs::path result = site->Folder() / "worker-result.txt";
        std::error_code error;
        fs::remove(result, error);
        RunSide(state, *site,
                {{SelfPath(), kWorkerFlag, (site->Folder() / "urls.txt").string(), out.string(),
                  result.string()}},
                out);
        std::ifstream in(result);
        double retained = -1;
        int failedJobs = -1;
        in >> retained >> failedJobs;
        state.counters["retained_b_per_job"] = benchmark::Counter(retained);
        if (failedJobs != 0)
            state.SkipWithError((std::to_string(failedJobs) + " jobs failed").c_str());
    }
}

void BM_CurlParallel(benchmark::State& state)
{
    CSite* site = ReadySite(state);
    if (!site)
        return;
    for (auto _ : state)
    {
        const fs::path out = site->FreshOutput("curl");
        RunSide(state, *site,
                {{"/usr/bin/curl", "--silent", "--fail", "--parallel", "--parallel-max", std::to_string(kInFlight),
                  "--remote-name-all", "--output-dir", out.string(), "-K", (site->Folder() / "curl.cfg").string()}},
                out);
    }
}

std::vector<std::string> WgetCommand(const fs::path& out, const fs::path& list)
{
    return {"/usr/bin/wget", "--quiet", "--no-config", "-P", out.string(), "-i", list.string()};
}

void BM_WgetList(benchmark::State& state)
{
    CSite* site = ReadySite(state);
    if (!site)
        return;
    for (auto _ : state)
    {
        const fs::path out = site->FreshOutput("wget");
        RunSide(state, *site, {WgetCommand(out, site->Folder() / "urls.txt")}, out);
    }
}

void BM_Wget20Processes(benchmark::State& state)
{
    CSite* site = ReadySite(state);
    if (!site)
        return;
    for (auto _ : state)
    {
        const fs::path out = site->FreshOutput("wget20");
        std::vector<std::vector<std::string>> commands;
        for (int part = 0; part < kInFlight; ++part)
            commands.push_back(WgetCommand(out, site->PartList(part)));
        RunSide(state, *site, commands, out);
    }
}

size_t HeapInUse()
{
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The manager's side, in a process of its own: fetches every URL of
// `urlList` into `out`, writes "<retained bytes per job> <failed jobs>" to
// `resultFile`. The program's defaults where they matter: HTTP/1.1 with
// "Connection: Keep-Alive", so that clients are reused as curl's are, and
// the manager's one-second tick.
int RunManagerWorker(const std::string& urlList, const fs::path& out, const std::string& resultFile)
{
    std::vector<std::string> urls;
    {
        std::ifstream in(urlList);
        for (std::string line; std::getline(in, line);)
            if (!line.empty())
                urls.push_back(line);
    }
    const int count = int(urls.size());
    SocketsStartup(1);
    CPropertySet settings;
    SetBenchTransferSettings(settings, kInFlight);

    CTransferManagerOptions options;
    options.m_services.m_settings = &settings;
    options.m_dataFolder = out.string();
    options.m_tick = true;
    CTransferManager manager(std::move(options));
    manager.Init();
    std::vector<int> ids(count);
    const size_t heapBefore = HeapInUse();
    {
        CLinkItem request;
        for (int i = 0; i < count; ++i)
        {
            request.SetUrl(urls[i].c_str(), true);
            request.SetString(LI_LOCAL_FILE, (out / FileName(i)).c_str());
            request.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
            manager.AddJob(request, &ids[i], true);
        }
    }
    // Jobs start in the order they were added, so waiting for each in turn
    // costs one look-up per change.
    int failed = 0;
    for (int id : ids)
    {
        CJobStatus status;
        if (manager.WaitForJob(id, &status, 120000) != 0 || status.m_result != kResultOk)
            ++failed;
    }
    const double retained = (double(HeapInUse()) - double(heapBefore)) / count;
    manager.Stop();
    std::ofstream(resultFile) << retained << " " << failed << "\n";
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], kWorkerFlag) == 0)
        return RunManagerWorker(argv[2], argv[3], argv[4]);

    bool large = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i)
    {
        if (std::strcmp(argv[i], kLargeFlag) == 0)
            large = true;
        else
            args.push_back(argv[i]);
    }
    std::vector<int64_t> sizes = {10000};
    if (large)
        sizes.push_back(100000);
    // Size by size, every side, so that one site is built at a time.
    for (int64_t size : sizes)
    {
        using Side = std::pair<const char*, void (*)(benchmark::State&)>;
        for (const auto& [name, function] : {Side{"BM_TransferManager", BM_TransferManager},
                                             Side{"BM_CurlParallel", BM_CurlParallel},
                                             Side{"BM_Wget20Processes", BM_Wget20Processes},
                                             Side{"BM_WgetList", BM_WgetList}})
            benchmark::RegisterBenchmark(name, function)
                ->ArgName("files")
                ->Arg(size)
                ->Iterations(1)
                ->Repetitions(3)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
