// A full check of one site, every side in a fresh process of its own timed
// from its start to its exit, all with 20 connections at once, unlimited
// depth: the crawl engine (CLinkChecker over the real transfer manager, this
// program started again as a worker, external links checked), `wget2
// --spider -r` (which does not check links to other hosts) and LinkChecker
// with --check-extern. LinkChecker waits 0.1 to 0.6 s between two requests
// to one host unless the host answers with a "LinkChecker" header, which
// both servers here send (a few bytes more in every answer, for every side).
//
//   crawl_bench [--pages N] [--url URL] [--broken FILE] [--sides LIST]
//
// Without --url a site of N pages (default 10,000) is generated and served by
// nginx on 127.0.0.1; its "external" links go to a second server of the same
// nginx on 127.0.0.2, so that no network is used. Pages are 5 to 15 KB with
// about 20 links each: pages of the site (some relative), a style sheet and an
// image every page shares, missing pages (404), redirects to pages, redirects
// to missing pages, and links to the other host, some of them missing. The
// generator knows which links are broken; each side's broken set is compared
// with that list and with the engine's. --sides picks among
// engine,wget2,linkchecker (default all three). --broken FILE receives every
// broken URL the engine found, one a line.
//
// Counted per side: seconds from its start to its exit, URLs checked (the
// engine's own count, the distinct URLs in wget2's site statistics and
// LinkChecker's CSV), requests (lines of the servers' access logs; the
// engine's own job count with --url), peak RSS (VmHWM at its exit), CPU time
// and instructions retired (both per URL too; the ratios to the engine are
// per run, not per URL, since the sides count URLs their own ways).
//
// What can flatter the engine: nginx and the sides share the machine's
// cores, so a side that uses less CPU leaves more to nginx; wget2 checks
// fewer URLs (no external ones); LinkChecker is Python, and fetches
// robots.txt of both hosts; the engine writes every page into its cache
// folder on /dev/shm, which costs it RAM outside its own RSS and no disk
// time.

#include "BenchProcess.h"
#include "BenchTransferSettings.h"

#include "checker/CrawlTransport.h"
#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/jobs/TransferManager.h"
#include "transfer/net/Connection.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using UrlSet = std::set<std::string>;

constexpr int kConnections = 20;
constexpr const char* kWorkerFlag = "--tw-crawl-worker";
constexpr const char* kSiteHost = "127.0.0.1";
constexpr const char* kOtherHost = "127.0.0.2";

// "scheme://host:port" of a URL (its text up to the path), for telling
// internal links from external ones the way the other tools do: by host.
std::string Origin(const std::string& url)
{
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return {};
    const size_t path = url.find('/', scheme + 3);
    return url.substr(0, path);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

// ---- The engine's side (a process of its own) ----------------------------------

// The transport of the program, counting the jobs it starts: each is one
// request (a redirect ends the job; its target is a job of its own).
class CCountingTransport : public CManagerTransport
{
public:
    using CManagerTransport::CManagerTransport;

    int StartJob(int id) override
    {
        ++m_started;
        return CManagerTransport::StartJob(id);
    }

    long m_started = 0;
};

std::mutex g_endMutex;
std::condition_variable g_endChanged;

void OnProgress(std::intptr_t)
{
    std::lock_guard<std::mutex> lock(g_endMutex);
    g_endChanged.notify_all();
}

// Checks `url` with the engine and the real transfer manager, writes
// "urls links requests crawl-end-seconds teardown-end-seconds" (from the
// worker's start) to `resultFile` and each broken URL, after
// "internal " or "external ", to `brokenFile`. The program's defaults where
// they matter: HTTP/1.1 with keep-alive, the manager's one-second tick.
int RunCrawlWorker(const std::string& url, const std::string& resultFile, const std::string& brokenFile,
                   const std::string& cacheFolder)
{
    const auto start = std::chrono::steady_clock::now();
    auto crawlEnd = start;
    long checked = 0;
    long links = 0;
    SocketsStartup(1);
    CPropertySet settings;
    SetBenchTransferSettings(settings, kConnections);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
    settings.SetString(SETTING_MISC_CACHE_FOLDER, cacheFolder.c_str());

    CTransferManagerOptions options;
    options.m_services.m_settings = &settings;
    options.m_dataFolder = cacheFolder;
    options.m_tick = true;
    CTransferManager manager(std::move(options));
    manager.Init();
    CCountingTransport transport(manager, manager.GetInfoCache());
    CLinkCheckerServices services;
    services.m_transport = &transport;
    services.m_settings = &settings;

    int result = 0;
    {
        CLinkChecker engine(services);
        engine.SetProgressCallback(&OnProgress, 0);
        CTaskSettings task(url, &settings);
        task.SetInt(TASK_RECURSION, INT_MAX); // no depth limit
        task.SetInt(TASK_FILTER_EXTERNAL, 1); // check links to other sites
        if (!engine.SetTaskSettings(task) || !engine.Start())
            return 1;
        {
            // The end of the run makes a progress call; the short time-out
            // covers the moment between that call and IsRunning turning false.
            std::unique_lock<std::mutex> lock(g_endMutex);
            while (engine.IsRunning())
                g_endChanged.wait_for(lock, std::chrono::milliseconds(20));
        }
        engine.Stop();
        crawlEnd = std::chrono::steady_clock::now();

        const std::string origin = Origin(url);
        std::ofstream broken(brokenFile);
        for (int i = 0; i < engine.GetLinkCount(); ++i)
        {
            const CLinkNode* node = engine.GetNodeAt(i);
            if (node->m_state == kStateBroken && node->IsFirstOccurrence() && !node->m_url.empty())
                broken << (Origin(node->m_url) == origin ? "internal " : "external ") << node->m_url << "\n";
            if (node->m_state == kStateWaiting || node->m_state == kStateProcessing)
                result = 1; // a run that ended with work left is a failure
        }
        const CLinkStats stats = engine.GetStats();
        checked = stats.CountChecked(CLinkStats::kUnique);
        links = engine.GetLinkCount();
    }
    manager.Stop();
    const auto seconds = [&](std::chrono::steady_clock::time_point at) {
        return std::chrono::duration<double>(at - start).count();
    };
    std::ofstream(resultFile) << checked << " " << links << " " << transport.m_started << " " << seconds(crawlEnd)
                              << " " << seconds(std::chrono::steady_clock::now()) << "\n";
    return result;
}

// ---- The generated site --------------------------------------------------------

// A small generator of our own, so that the site is the same on every run.
class CRandom
{
public:
    explicit CRandom(uint64_t seed) : m_state(seed) {}
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 1 ? 0 : int(Next() % uint64_t(n)); }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    uint64_t m_state;
};

constexpr const char* kFiller = "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
                                "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis "
                                "nostrud exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat. ";

// The site: pages /p/<i>.html on 127.0.0.1, /r/<i> redirecting to page i,
// /rb/<k> redirecting to the missing /gone/rb<k>.html, missing /gone/<k>.html;
// on 127.0.0.2 the pages /e/<k>.html and the missing /gone/<k>.html. Every
// page is reached from page 0 through i+1, 2i+1 and 2i+2.
class CGeneratedSite
{
public:
    explicit CGeneratedSite(int pages) : m_pages(pages)
    {
        m_folder = MakeScratchFolder("tw-crawl-bench");
        if (m_folder.empty())
            return;
        m_port = FreePort();
        m_otherPort = FreePort();
        for (const char* dir : {"site/p", "site/img", "other/e", "out"})
            fs::create_directories(m_folder / dir);
        // LinkChecker drops its rights to "nobody" and writes its report here.
        fs::permissions(m_folder / "out", fs::perms::all);
        std::ofstream(m_folder / "site/site.css") << "body { font-family: sans-serif; }\n";
        std::ofstream(m_folder / "site/img/logo.png") << std::string(2000, 'p');
        const std::string other = "http://" + std::string(kOtherHost) + ":" + std::to_string(m_otherPort);
        std::set<int> external;
        CRandom random(20261211);
        for (int i = 0; i < pages; ++i)
            WritePage(i, random, other, external);
        for (int k : external)
            std::ofstream(m_folder / "other/e" / (std::to_string(k) + ".html"))
                << "<html><body><a href=\"" << SiteUrl() << "/p/" << k % pages << ".html\">back</a>"
                << " <a href=\"/e/" << k + 1 << ".html\">next</a></body></html>\n";

        const std::string folder = m_folder.string();
        const std::string logFormat = "    log_format tw '$request_method $request_uri $status';\n";
        std::string http = logFormat + "    keepalive_requests 1000000;\n    default_type text/html;\n" +
                           "    add_header LinkChecker \"unthrottled\" always;\n";
        http += "    server {\n        listen " + std::string(kSiteHost) + ":" + std::to_string(m_port) +
                ";\n        root " + folder + "/site;\n        access_log " + folder + "/site.log tw;\n" +
                "        location /r/ { rewrite ^/r/(\\d+)$ /p/$1.html permanent; }\n"
                "        location /rb/ { rewrite ^/rb/(\\d+)$ /gone/rb$1.html permanent; }\n    }\n";
        http += "    server {\n        listen " + std::string(kOtherHost) + ":" + std::to_string(m_otherPort) +
                ";\n        root " + folder + "/other;\n        access_log " + folder + "/other.log tw;\n    }\n";
        m_server = StartNginx(m_folder, http);
        m_ready = m_server > 0 && AwaitListening(kSiteHost, m_port) && AwaitListening(kOtherHost, m_otherPort);
    }

    ~CGeneratedSite()
    {
        EndChild(m_server);
        std::error_code error;
        if (!m_folder.empty())
            fs::remove_all(m_folder, error);
    }

    bool Ready() const { return m_ready; }
    pid_t Server() const { return m_server; }
    const fs::path& Folder() const { return m_folder; }
    std::string SiteUrl() const { return "http://" + std::string(kSiteHost) + ":" + std::to_string(m_port); }
    std::string StartUrl() const { return SiteUrl() + "/p/0.html"; }
    const UrlSet& BrokenInternal() const { return m_brokenInternal; }
    // A link to /rb/<k> is broken at its target: the engine names the link
    // as written, the other tools the URL that answered 404. Both become the
    // target here, so that the sets compare.
    std::string AtRedirectTarget(const std::string& url) const
    {
        const std::string prefix = SiteUrl() + "/rb/";
        if (url.rfind(prefix, 0) != 0)
            return url;
        return SiteUrl() + "/gone/rb" + url.substr(prefix.size()) + ".html";
    }
    const UrlSet& BrokenExternal() const { return m_brokenExternal; }

    // The requests both servers logged since the last call (the logs are
    // moved aside and nginx reopens them).
    long TakeRequests()
    {
        long requests = 0;
        for (const char* log : {"site.log", "other.log"})
        {
            const fs::path path = m_folder / log;
            std::error_code error;
            fs::rename(path, m_folder / (std::string(log) + ".old"), error);
        }
        ::kill(m_server, SIGUSR1);
        // The workers reopen their logs a moment after the master's signal;
        // a request logged before that goes to the old file.
        ::poll(nullptr, 0, 300);
        for (const char* log : {"site.log", "other.log"})
        {
            std::ifstream in(m_folder / (std::string(log) + ".old"));
            for (std::string line; std::getline(in, line);)
                ++requests;
        }
        return requests;
    }

private:
    void WritePage(int i, CRandom& random, const std::string& other, std::set<int>& external)
    {
        const int pages = m_pages;
        std::vector<std::string> links;
        for (long target : {long(i) + 1, 2L * i + 1, 2L * i + 2})
            if (target < pages)
                links.push_back("/p/" + std::to_string(target) + ".html");
        links.push_back("/img/logo.png");
        if (random.Chance(25))
        {
            const std::string path = "/gone/" + std::to_string(random.Below(std::max(1, pages / 40))) + ".html";
            links.push_back(path);
            m_brokenInternal.insert(SiteUrl() + path);
        }
        if (random.Chance(30))
            links.push_back("/r/" + std::to_string(random.Below(pages)));
        if (random.Chance(3))
        {
            const int k = random.Below(std::max(1, pages / 400));
            links.push_back("/rb/" + std::to_string(k));
            m_brokenInternal.insert(SiteUrl() + "/gone/rb" + std::to_string(k) + ".html");
        }
        if (random.Chance(30))
        {
            const int k = random.Below(std::max(1, pages / 10));
            external.insert(k);
            links.push_back(other + "/e/" + std::to_string(k) + ".html");
        }
        if (random.Chance(5))
        {
            const std::string url = other + "/gone/" + std::to_string(random.Below(std::max(1, pages / 100))) + ".html";
            links.push_back(url);
            m_brokenExternal.insert(url);
        }
        // The rest are pages of the site, half of them relative.
        while (links.size() < 19)
        {
            const std::string name = std::to_string(random.Below(pages)) + ".html";
            links.push_back(random.Chance(50) ? name : "/p/" + name);
        }
        const size_t size = 5000 + size_t(random.Below(10000));
        std::string page = "<!DOCTYPE html>\n<html><head><title>Page " + std::to_string(i) +
                           "</title><link rel=\"stylesheet\" href=\"/site.css\"></head>\n<body><h1>Page " +
                           std::to_string(i) + "</h1>\n";
        const size_t fillerPerLink = size / (links.size() + 1);
        for (size_t n = 0; n < links.size(); ++n)
        {
            page += "<p>";
            for (size_t length = 0; length + 40 < fillerPerLink; length += std::strlen(kFiller))
                page.append(kFiller, std::min(std::strlen(kFiller), fillerPerLink - length - 40));
            page += "</p>\n<a href=\"" + links[n] + "\">link " + std::to_string(n) + "</a>\n";
        }
        page += "</body></html>\n";
        std::ofstream(m_folder / "site/p" / (std::to_string(i) + ".html"), std::ios::binary) << page;
    }

    fs::path m_folder;
    int m_pages = 0;
    int m_port = 0;
    int m_otherPort = 0;
    pid_t m_server = -1;
    bool m_ready = false;
    UrlSet m_brokenInternal;
    UrlSet m_brokenExternal;
};

// ---- The sides ----------------------------------------------------------------

struct CSideResult
{
    std::string m_name;
    bool m_ran = false;
    std::string m_error;
    CRunFigures m_figures;
    long m_urls = 0;
    long m_links = -1;      // the engine only
    long m_requests = -1;   // from the server logs; -1 when not known
    long m_ownRequests = -1; // the engine's own count
    double m_crawlEnd = 0;    // the engine only: seconds from its main to the run's end
    double m_teardownEnd = 0; // and to the engine and manager destroyed
    UrlSet m_brokenInternal;
    UrlSet m_brokenExternal;
    bool m_checksExternal = true;
};

std::string SelfPath()
{
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).string();
}

void SortBroken(CSideResult& side, const std::string& origin, const std::string& url)
{
    (Origin(url) == origin ? side.m_brokenInternal : side.m_brokenExternal).insert(url);
}

CSideResult RunEngine(const std::string& url, const fs::path& work, pid_t server)
{
    CSideResult side;
    side.m_name = "engine";
    const fs::path cache = work / "engine-cache";
    std::error_code error;
    fs::remove_all(cache, error);
    fs::create_directories(cache);
    const fs::path result = work / "engine-result.txt";
    const fs::path broken = work / "engine-broken.txt";
    side.m_figures = RunProcesses(
        {{SelfPath(), kWorkerFlag, url, result.string(), broken.string(), cache.string()}}, server);
    side.m_ran = true;
    std::ifstream in(result);
    if (!(in >> side.m_urls >> side.m_links >> side.m_ownRequests >> side.m_crawlEnd >> side.m_teardownEnd))
        side.m_error = "the engine wrote no result";
    std::ifstream list(broken);
    for (std::string kind, found; list >> kind >> found;)
        (kind == "internal" ? side.m_brokenInternal : side.m_brokenExternal).insert(found);
    fs::remove_all(cache, error);
    return side;
}

// wget2's site statistics: one CSV row per URL it asked for, with the HTTP
// status (0 when no answer came).
CSideResult RunWget2(const std::string& url, const fs::path& work, pid_t server)
{
    CSideResult side;
    side.m_name = "wget2";
    side.m_checksExternal = false;
    if (!fs::exists("/usr/bin/wget2"))
    {
        side.m_error = "wget2 is not installed (Debian package wget2)";
        return side;
    }
    const fs::path stats = work / "wget2-stats.csv";
    const fs::path output = work / "wget2-out";
    std::error_code error;
    fs::remove_all(output, error);
    fs::create_directories(output);
    // Exit code 8: the server answered with an error, which broken links do.
    side.m_figures = RunProcesses({{"/usr/bin/wget2", "--spider", "-r", "-l", "inf", "--max-threads=20",
                                    "--robots=off", "-q", "-P", output.string(), "--stats-site=csv:" + stats.string(),
                                    url}},
                                  server, {8});
    side.m_ran = true;
    const std::string origin = Origin(url);
    UrlSet seen;
    std::ifstream in(stats);
    for (std::string line; std::getline(in, line);)
    {
        const std::vector<std::string> fields = Split(line, ',');
        if (fields.size() < 4 || fields[0] == "ID")
            continue;
        const std::string& found = fields[2];
        seen.insert(found);
        const int status = std::atoi(fields[3].c_str());
        if (status == 0 || status >= 400)
            SortBroken(side, origin, found);
    }
    side.m_urls = long(seen.size());
    if (seen.empty())
        side.m_error = "no site statistics";
    fs::remove_all(output, error);
    return side;
}

// LinkChecker's CSV (--verbose: every link, not only the broken ones): one
// row per link, its URL (after the page's base and any redirect) in the
// "url" column and "False" in "valid" for a broken one.
CSideResult RunLinkChecker(const std::string& url, const fs::path& work, pid_t server)
{
    CSideResult side;
    side.m_name = "linkchecker";
    if (!fs::exists("/usr/bin/linkchecker"))
    {
        side.m_error = "LinkChecker is not installed (Debian package linkchecker)";
        return side;
    }
    const fs::path out = work / "out";
    const fs::path csv = out / "linkchecker.csv";
    const fs::path config = work / "linkcheckerrc";
    std::error_code error;
    fs::remove(csv, error);
    std::ofstream(config) << "[checking]\nthreads=" << kConnections << "\nmaxrequestspersecond=1000000\n";
    fs::permissions(config, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read);
    // Exit code 1: broken links were found.
    side.m_figures = RunProcesses({{"/usr/bin/linkchecker", "-f", config.string(), "--check-extern", "-t",
                                    std::to_string(kConnections), "--no-status", "--verbose", "-o", "none",
                                    "-F", "csv/utf-8/" + csv.string(), url}},
                                  server, {1});
    side.m_ran = true;
    const std::string origin = Origin(url);
    UrlSet seen;
    std::ifstream in(csv);
    int urlColumn = -1;
    int validColumn = -1;
    for (std::string line; std::getline(in, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> fields = Split(line, ';');
        if (urlColumn < 0)
        {
            for (size_t n = 0; n < fields.size(); ++n)
            {
                if (fields[n] == "url")
                    urlColumn = int(n);
                if (fields[n] == "valid")
                    validColumn = int(n);
            }
            continue;
        }
        if (validColumn < 0 || int(fields.size()) <= std::max(urlColumn, validColumn))
            continue;
        const std::string& found = fields[size_t(urlColumn)];
        seen.insert(found);
        if (fields[size_t(validColumn)] == "False")
            SortBroken(side, origin, found);
    }
    side.m_urls = long(seen.size());
    if (seen.empty())
        side.m_error = "no CSV report";
    return side;
}

// ---- Report --------------------------------------------------------------------

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "a = b", or what one has that the other lacks (a few of each).
std::string CompareSets(const UrlSet& a, const UrlSet& b)
{
    std::vector<std::string> onlyA;
    std::vector<std::string> onlyB;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
    if (onlyA.empty() && onlyB.empty())
        return "agree (" + std::to_string(a.size()) + ")";
    std::string text = "DIFFER: " + std::to_string(onlyA.size()) + " only in the first, " +
                       std::to_string(onlyB.size()) + " only in the second";
    for (size_t n = 0; n < std::min<size_t>(3, onlyA.size()); ++n)
        text += "\n      first only: " + onlyA[n];
    for (size_t n = 0; n < std::min<size_t>(3, onlyB.size()); ++n)
        text += "\n      second only: " + onlyB[n];
    return text;
}

void PrintSide(const CSideResult& side)
{
    if (!side.m_ran)
    {
        std::cout << "  " << side.m_name << ": skipped: " << side.m_error << "\n";
        return;
    }
    const CRunFigures& f = side.m_figures;
    const double mb = double(f.m_peakKb) / 1024.0;
    std::cout << "  " << side.m_name << ": " << Fixed(f.m_seconds, 2) << " s, " << side.m_urls << " URLs checked, ";
    std::cout << (side.m_requests >= 0 ? std::to_string(side.m_requests) : std::string("?")) << " requests, "
              << Fixed(side.m_urls / f.m_seconds, 0) << " URLs/s, peak RSS " << Fixed(mb, 1) << " MB ("
              << Fixed(side.m_urls > 0 ? double(f.m_peakKb) * 1024.0 / double(side.m_urls) : 0, 0)
              << " B per URL), CPU " << Fixed(f.m_cpuSeconds, 2) << " s ("
              << Fixed(side.m_urls > 0 ? f.m_cpuSeconds * 1e6 / double(side.m_urls) : 0, 0) << " us per URL), "
              << (f.m_instructions >= 0 ? Fixed(f.m_instructions / 1e9, 2) + "G instructions ("
                                          + Fixed(side.m_urls > 0 ? f.m_instructions / 1e3 / double(side.m_urls) : 0, 0)
                                          + "k per URL)"
                                        : std::string("instructions not counted"))
              << ", broken internal "
              << side.m_brokenInternal.size() << ", broken external ";
    std::cout << (side.m_checksExternal ? std::to_string(side.m_brokenExternal.size()) : std::string("not checked"));
    if (f.m_failedProcesses != 0)
        std::cout << "  [process FAILED]";
    if (!side.m_error.empty())
        std::cout << "  [" << side.m_error << "]";
    std::cout << std::endl; // each side as soon as it is done: a long run shows its progress
}

struct COptions
{
    int m_pages = 10000;
    std::string m_url;
    std::string m_brokenFile;
    std::set<std::string> m_sides = {"engine", "wget2", "linkchecker"};
};

bool ParseOptions(int argc, char** argv, COptions& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--pages" && hasValue)
            options.m_pages = std::atoi(argv[++i]);
        else if (arg == "--url" && hasValue)
            options.m_url = argv[++i];
        else if (arg == "--broken" && hasValue)
            options.m_brokenFile = argv[++i];
        else if (arg == "--sides" && hasValue)
        {
            const std::vector<std::string> sides = Split(argv[++i], ',');
            options.m_sides = UrlSet(sides.begin(), sides.end());
        }
        else
            return false;
    }
    return options.m_pages > 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], kWorkerFlag) == 0)
        return RunCrawlWorker(argv[2], argv[3], argv[4], argv[5]);
    COptions options;
    if (!ParseOptions(argc, argv, options))
    {
        std::cerr << "usage: crawl_bench [--pages N] [--url URL] [--broken FILE] [--sides engine,wget2,linkchecker]\n";
        return 2;
    }

    std::unique_ptr<CGeneratedSite> site;
    fs::path work;
    pid_t server = -1;
    std::string url = options.m_url;
    if (url.empty())
    {
        std::cout << "Generating a site of " << options.m_pages << " pages..." << std::endl;
        site = std::make_unique<CGeneratedSite>(options.m_pages);
        if (!site->Ready())
        {
            std::cerr << "nginx did not start\n";
            return 1;
        }
        work = site->Folder();
        server = site->Server();
        url = site->StartUrl();
    }
    else
    {
        work = MakeScratchFolder("tw-crawl-bench");
        fs::create_directories(work / "out");
        fs::permissions(work / "out", fs::perms::all);
    }
    std::cout << "Checking " << url << " with " << kConnections << " connections, unlimited depth" << std::endl;

    std::vector<CSideResult> sides;
    using Runner = CSideResult (*)(const std::string&, const fs::path&, pid_t);
    for (const auto& [name, runner] : {std::pair<const char*, Runner>{"engine", RunEngine},
                                       std::pair<const char*, Runner>{"wget2", RunWget2},
                                       std::pair<const char*, Runner>{"linkchecker", RunLinkChecker}})
    {
        if (!options.m_sides.count(name))
            continue;
        if (site)
            site->TakeRequests(); // whatever came before this side
        CSideResult side = runner(url, work, server);
        if (site)
            side.m_requests = site->TakeRequests();
        else if (side.m_ownRequests >= 0)
            side.m_requests = side.m_ownRequests;
        PrintSide(side);
        sides.push_back(std::move(side));
    }

    // The engine's broken URLs as it found them, before the comparison
    // below names redirects by their targets.
    for (const CSideResult& side : sides)
    {
        if (side.m_name != "engine" || !side.m_ran || options.m_brokenFile.empty())
            continue;
        std::ofstream out(options.m_brokenFile);
        for (const UrlSet* set : {&side.m_brokenInternal, &side.m_brokenExternal})
            for (const std::string& found : *set)
                out << found << "\n";
    }
    if (site)
    {
        for (CSideResult& side : sides)
        {
            UrlSet internal;
            for (const std::string& found : side.m_brokenInternal)
                internal.insert(site->AtRedirectTarget(found));
            side.m_brokenInternal = std::move(internal);
        }
    }
    const CSideResult* engine = nullptr;
    for (const CSideResult& side : sides)
        if (side.m_name == "engine" && side.m_ran)
            engine = &side;
    std::cout << "Broken links:\n";
    for (const CSideResult& side : sides)
    {
        if (!side.m_ran)
            continue;
        if (site)
        {
            std::cout << "  " << side.m_name << " internal vs the site's own list: "
                      << CompareSets(side.m_brokenInternal, site->BrokenInternal()) << "\n";
            if (side.m_checksExternal)
                std::cout << "  " << side.m_name << " external vs the site's own list: "
                          << CompareSets(side.m_brokenExternal, site->BrokenExternal()) << "\n";
        }
        if (engine != nullptr && engine != &side)
        {
            std::cout << "  engine vs " << side.m_name
                      << " internal: " << CompareSets(engine->m_brokenInternal, side.m_brokenInternal) << "\n";
            if (side.m_checksExternal)
                std::cout << "  engine vs " << side.m_name
                          << " external: " << CompareSets(engine->m_brokenExternal, side.m_brokenExternal) << "\n";
        }
    }
    for (const CSideResult& side : sides)
    {
        if (engine == nullptr || &side == engine || !side.m_ran || side.m_figures.m_seconds <= 0)
            continue;
        std::cout << "  engine / " << side.m_name << ": time " << Fixed(engine->m_figures.m_seconds / side.m_figures.m_seconds, 2)
                  << "x, peak RSS "
                  << Fixed(double(engine->m_figures.m_peakKb) / double(std::max(1L, side.m_figures.m_peakKb)), 2)
                  << "x, CPU " << Fixed(engine->m_figures.m_cpuSeconds / std::max(1e-9, side.m_figures.m_cpuSeconds), 2)
                  << "x";
        if (engine->m_figures.m_instructions >= 0 && side.m_figures.m_instructions > 0)
            std::cout << ", instructions "
                      << Fixed(engine->m_figures.m_instructions / side.m_figures.m_instructions, 2) << "x";
        std::cout << "\n";
    }

    if (site)
        site.reset();
    else
    {
        std::error_code error;
        fs::remove_all(work, error);
    }
    if (engine == nullptr)
        return 1;
    const CRunFigures& f = engine->m_figures;
    std::cout << "Engine: the run ended " << Fixed(engine->m_crawlEnd, 2) << " s after its main began, engine and "
              << "manager were destroyed at " << Fixed(engine->m_teardownEnd, 2) << " s\n";
    std::cout << "Engine: " << engine->m_links << " links in the table, "
              << Fixed(engine->m_links > 0 ? double(f.m_peakKb) * 1024.0 / double(engine->m_links) : 0, 0)
              << " B of peak RSS per link\n";
    // Requests are what the servers logged when we serve the site; with --url
    // only the engine's own count of jobs started is known.
    std::cout << "RESULT urls=" << engine->m_urls
              << " requests=" << (engine->m_requests >= 0 ? engine->m_requests : engine->m_ownRequests)
              << " seconds=" << Fixed(f.m_seconds, 2) << " urls_per_s=" << Fixed(engine->m_urls / f.m_seconds, 1)
              << " rss_mb=" << Fixed(double(f.m_peakKb) / 1024.0, 1)
              << " broken_internal=" << engine->m_brokenInternal.size()
              << " broken_external=" << engine->m_brokenExternal.size() << std::endl;
    return f.m_failedProcesses == 0 && engine->m_error.empty() ? 0 : 1;
}
