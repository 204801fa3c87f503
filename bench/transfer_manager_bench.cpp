// Fetching 10,000 small files from a local nginx with 20 transfers in
// flight: through CTransferManager (20 connections, 20 per site), against
// one `curl --parallel --parallel-max 20` process and one `wget -i` process
// (wget fetches one file at a time) on the same URL list, each into a folder
// of its own (on /dev/shm when it can, so that the disk is not measured).
//
// nginx is started here from a configuration written into a temporary
// folder (the test-server library needs GoogleTest, which `make bench`
// leaves out). Counters: files_per_s, and peak_rss_kb: for curl and wget the
// tool's own VmHWM read at its exit (see RunTool); for the manager this
// process's VmHWM over the run (reset through /proc/self/clear_refs before
// it; peak_reset 0 when that was refused and the peak is the process's
// lifetime one), with rss_delta_kb the rise of that peak over VmRSS before
// the run. The manager runs with its one-second tick (tick:1) and without
// it (tick:0): were jobs waiting for the tick, the first would be far
// slower than the second (and both far below a thousand files a second).

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/net/Connection.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/TransferJob.h"
#include "transfer/jobs/TransferManager.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFileCount = 10000;
constexpr size_t kFileSize = 1024;
constexpr int kInFlight = 20;

int FreePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// Starts argv with stdout and stderr to `log` (or /dev/null); -1 on failure.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& log = "/dev/null")
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void Reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
}

long ProcStatusKb(const char* file, const char* field)
{
    std::ifstream in(file);
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atol(line.c_str() + prefix.size());
    return 0;
}

// Resets VmHWM to the current VmRSS; false when the kernel refuses.
bool ResetPeakRss()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return bool(out);
}

// nginx serving kFileCount files of kFileSize bytes from a temporary folder,
// with four workers and no access log, so that the server is not what is
// measured.
class CSite
{
public:
    CSite()
    {
        // In memory where there is a tmpfs, so that the disk's write-back
        // of the fetched files is not what is measured.
        std::string pattern = "/dev/shm/tw-transfer-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
        {
            pattern = "/tmp/tw-transfer-bench-XXXXXX";
            if (!::mkdtemp(pattern.data()))
                return;
        }
        m_folder = pattern;
        // nginx's workers may run as another user (when started by root).
        fs::permissions(m_folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(m_folder / "html/f");
        fs::create_directories(m_folder / "temp");
        const std::string body(kFileSize, 'x');
        for (int i = 0; i < kFileCount; ++i)
            std::ofstream(m_folder / "html/f" / Name(i), std::ios::binary) << body;

        m_port = FreePort();
        const std::string folder = m_folder.string();
        std::string config = "error_log " + folder + "/error.log warn;\npid " + folder +
                             "/nginx.pid;\nworker_processes 4;\n"
                             "events {\n    worker_connections 1024;\n}\nhttp {\n";
        for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
            config += std::string("    ") + kind + "_temp_path " + folder + "/temp/" + kind + ";\n";
        config += "    access_log off;\n    keepalive_requests 100000;\n    default_type text/plain;\n"
                  "    server {\n        listen 127.0.0.1:" +
                  std::to_string(m_port) + ";\n        root " + folder + "/html;\n    }\n}\n";
        std::ofstream(m_folder / "nginx.conf") << config;

        m_pid = Spawn({"/usr/sbin/nginx", "-p", folder + "/", "-c", folder + "/nginx.conf", "-e",
                       folder + "/error.log", "-g", "daemon off;"},
                      folder + "/nginx.out");
        for (int attempt = 0; m_pid > 0 && attempt < 200 && !Accepts(m_port); ++attempt)
            ::poll(nullptr, 0, 25);
        m_ready = m_pid > 0 && Accepts(m_port);

        std::ofstream urls(m_folder / "urls.txt");
        std::ofstream curlConfig(m_folder / "curl.cfg");
        for (int i = 0; i < kFileCount; ++i)
        {
            m_urls.push_back("http://127.0.0.1:" + std::to_string(m_port) + "/f/" + Name(i));
            urls << m_urls.back() << "\n";
            curlConfig << "url = \"" << m_urls.back() << "\"\n";
        }
    }

    ~CSite()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGTERM);
            Reap(m_pid);
        }
        std::error_code error;
        if (!m_folder.empty())
            fs::remove_all(m_folder, error);
    }

    static std::string Name(int i) { return "file" + std::to_string(i) + ".txt"; }

    bool Ready() const { return m_ready; }
    const fs::path& Folder() const { return m_folder; }
    const std::vector<std::string>& Urls() const { return m_urls; }

    // An empty folder for one fetch.
    fs::path FreshOutput(const std::string& name) const
    {
        const fs::path out = m_folder / name;
        std::error_code error;
        fs::remove_all(out, error);
        fs::create_directories(out);
        return out;
    }

    // How many of the files arrived whole in `out`.
    static int CountComplete(const fs::path& out)
    {
        int complete = 0;
        for (int i = 0; i < kFileCount; ++i)
        {
            std::error_code error;
            if (fs::file_size(out / Name(i), error) == kFileSize && !error)
                ++complete;
        }
        return complete;
    }

private:
    fs::path m_folder;
    std::vector<std::string> m_urls;
    pid_t m_pid = -1;
    int m_port = 0;
    bool m_ready = false;
};

CSite& Site()
{
    static CSite site;
    return site;
}

void Report(benchmark::State& state, double seconds, int complete, long peakKb)
{
    state.SetIterationTime(seconds);
    state.counters["files_per_s"] = benchmark::Counter(kFileCount / seconds);
    state.counters["peak_rss_kb"] = benchmark::Counter(double(peakKb));
    if (complete != kFileCount)
        state.SkipWithError(("only " + std::to_string(complete) + " files arrived whole").c_str());
}

void BM_TransferManager(benchmark::State& state)
{
    CSite& site = Site();
    if (!site.Ready())
    {
        state.SkipWithError("nginx did not start");
        return;
    }
    SocketsStartup(1);
    CPropertySet settings;
    // The program's defaults where they matter: HTTP/1.1 with
    // "Connection: Keep-Alive", so that clients are reused as curl's are.
    settings.SetInt(SETTING_HTTP_VERSION, 1);
    settings.SetInt(SETTING_HTTP_ENABLE_CONNECTION, 1);
    settings.SetInt(SETTING_HTTP_CONNECTION, 0);
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, kInFlight);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, kInFlight);
    settings.SetInt(SETTING_CONNECTIONS_SESSION_IDLE_TIME, 60);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30);
    settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);

    for (auto _ : state)
    {
        const fs::path out = site.FreshOutput("manager");
        double seconds = 0;
        long peak = 0;
        {
            CTransferManagerOptions options;
            options.m_settings = &settings;
            options.m_dataFolder = out.string();
            options.m_tick = state.range(0) != 0;
            CTransferManager manager(std::move(options));
            manager.Init();
            std::vector<CLinkItem> requests(kFileCount);
            for (int i = 0; i < kFileCount; ++i)
            {
                requests[i].SetUrl(site.Urls()[i].c_str(), true);
                requests[i].SetString(LI_LOCAL_FILE, (out / CSite::Name(i)).c_str());
                requests[i].SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
            }

            const long rssBefore = ProcStatusKb("/proc/self/status", "VmRSS");
            const bool reset = ResetPeakRss();
            const Clock::time_point start = Clock::now();
            std::vector<int> ids(kFileCount);
            for (int i = 0; i < kFileCount; ++i)
                manager.AddJob(requests[i], &ids[i], true);
            // Jobs start in the order they were added, so waiting for each in
            // turn costs one look-up per change.
            int failed = 0;
            for (int id : ids)
            {
                CJobStatus status;
                if (manager.WaitForJob(id, &status, 120000) != 0 || status.m_result != kResultOk)
                    ++failed;
            }
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            peak = ProcStatusKb("/proc/self/status", "VmHWM");
            state.counters["rss_delta_kb"] = benchmark::Counter(double(peak - rssBefore));
            state.counters["peak_reset"] = benchmark::Counter(reset ? 1 : 0);
            state.counters["failed_jobs"] = benchmark::Counter(failed);
            manager.Stop();
        }
        // Hands the freed jobs back to the system, so that the next
        // repetition's rise is measured from the same footing.
        ::malloc_trim(0);
        Report(state, seconds, CSite::CountComplete(out), peak);
    }
}

// Runs one tool to completion under ptrace, stopping it once at its exit
// (PTRACE_O_TRACEEXIT) to read its VmHWM while its memory still exists. The
// ru_maxrss of wait4 or RUSAGE_CHILDREN cannot be used: the kernel carries
// the peak of the memory a process had before exec into it, which for a
// child forked from this process is this process's whole resident set.
void RunTool(benchmark::State& state, std::vector<std::string> argv, const fs::path& out)
{
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        // Only async-signal-safe calls between fork and exec.
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    long peakKb = 0;
    int exit = -1;
    // Stops: the one after exec, the exit stop, and signal deliveries, of
    // which a tool gets few; bounded all the same.
    for (int stop = 0; pid > 0 && stop < 100000; ++stop)
    {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid)
            break;
        if (WIFEXITED(status) || WIFSIGNALED(status))
        {
            exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        int signal = 0;
        if (stop == 0)
            ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
        else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
            peakKb = ProcStatusKb(("/proc/" + std::to_string(pid) + "/status").c_str(), "VmHWM");
        else
            signal = WSTOPSIG(status);
        ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["exit_status"] = benchmark::Counter(exit);
    Report(state, seconds, CSite::CountComplete(out), peakKb);
}

void BM_CurlParallel(benchmark::State& state)
{
    CSite& site = Site();
    if (!site.Ready())
    {
        state.SkipWithError("nginx did not start");
        return;
    }
    for (auto _ : state)
    {
        const fs::path out = site.FreshOutput("curl");
        RunTool(state,
                {"/usr/bin/curl", "--silent", "--parallel", "--parallel-max", std::to_string(kInFlight),
                 "--remote-name-all", "--output-dir", out.string(), "-K",
                 (site.Folder() / "curl.cfg").string()},
                out);
    }
}

void BM_WgetList(benchmark::State& state)
{
    CSite& site = Site();
    if (!site.Ready())
    {
        state.SkipWithError("nginx did not start");
        return;
    }
    for (auto _ : state)
    {
        const fs::path out = site.FreshOutput("wget");
        RunTool(state,
                {"/usr/bin/wget", "--quiet", "--no-config", "-P", out.string(), "-i",
                 (site.Folder() / "urls.txt").string()},
                out);
    }
}

} // namespace

BENCHMARK(BM_TransferManager)
    ->ArgName("tick")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlParallel)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WgetList)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
