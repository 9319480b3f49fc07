// Side-by-side runs of whole commands, ours (bench/tools) against a peer's,
// as a person would time them, and the printing of one table row per work.
//
// Time: each run a fresh process, the clock running from the spawn to the
// reaping of the process (start-up, reading and writing all included), ours
// and the peer's alternating (the order swapped every run, so that a busy
// machine and the page cache weigh on both alike), the best of kRuns kept.
// Nothing watches a timed run.
//
// Memory: one more run of each side, untimed, watched from outside:
//   private  = the largest RssAnon (anonymous resident memory: heap, stacks,
//              tile buffers; not libraries, mapped files or the page cache)
//              read from /proc/PID/status every millisecond;
//   resident = VmHWM (the peak of all resident memory, libraries and mapped
//              file pages included), read exactly when the process stops at
//              its exit under ptrace.
// Not ru_maxrss: a child spawned or forked from this large process starts
// with this process's high-water mark and reports it.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/tools/budget.h"

extern char** environ;

namespace peer {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

struct Command {
    std::vector<std::string> args;  // args[0]: a path, or a name found in PATH
    std::vector<std::string> env;   // NAME=value, added to this process's environment
    std::string output;             // removed before each run, outside the clock
};

struct Side {
    bool ok = false;
    double seconds = 0;     // the best timed run
    double privateMb = 0;   // peak RssAnon of the memory run
    double residentMb = 0;  // VmHWM of the memory run
};

struct Pair {
    Side ours, peer;
    bool Ok() const { return ours.ok && peer.ok; }
    double Ratio() const { return ours.seconds / peer.seconds; }
};

// This process and every command it starts run on one processor, the last
// one it may use, so that "one thread" holds for helper threads of a peer
// too. Returns that processor.
inline int OneProcessor()
{
    static const int cpu = [] {
        cpu_set_t set;
        CPU_ZERO(&set);
        if (sched_getaffinity(0, sizeof set, &set) != 0)
            return -1;
        int last = -1;
        for (int i = 0; i < CPU_SETSIZE; ++i)
            if (CPU_ISSET(i, &set))
                last = i;
        CPU_ZERO(&set);
        CPU_SET(last, &set);
        return sched_setaffinity(0, sizeof set, &set) == 0 ? last : -1;
    }();
    return cpu;
}

// Our command of that name, built beside this program.
inline std::string Beside(const char* name)
{
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

inline bool Have(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0;
    return std::system(("command -v '" + program + "' >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Shown(const Command& c)
{
    std::string text;
    for (const std::string& e : c.env)
        text += e + " ";
    for (const std::string& a : c.args)
        text += (text.empty() || text.back() == ' ' ? "" : " ") + a;
    return text;
}

// The argument and environment arrays of a command, made before any fork.
struct Prepared {
    std::vector<std::string> envText;
    std::vector<char*> argv, envp;
    std::string log;

    Prepared(const Command& c, const std::string& scratch) : log(scratch + "/peer_run.log")
    {
        for (char** e = environ; *e; ++e)
            envText.emplace_back(*e);
        envText.insert(envText.end(), c.env.begin(), c.env.end());
        for (const std::string& a : c.args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const std::string& e : envText)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        if (!c.output.empty())
            std::remove(c.output.c_str());
    }
};

// The command's standard output and error went to the log; shown when it failed.
inline bool Report(bool ok, const Command& c, const Prepared& p)
{
    if (!ok) {
        std::printf("  failed: %s\n", Shown(c).c_str());
        std::ifstream text(p.log);
        for (std::string line; std::getline(text, line);)
            std::printf("    %s\n", line.c_str());
    }
    return ok;
}

// One timed run; seconds, or a negative number when the command failed.
inline double TimeOnce(const Command& c, const std::string& scratch)
{
    Prepared p(c, scratch);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, p.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawnp(&pid, p.argv[0], &files, nullptr, p.argv.data(), p.envp.data());
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    const bool ok = spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return Report(ok, c, p) ? seconds : -1;
}

// A field of /proc/PID/status in KiB; -1 when it cannot be read.
inline long StatusKb(pid_t pid, const char* key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const size_t n = std::strlen(key);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, n, key) == 0 && line.size() > n && line[n] == ':')
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// One memory run: the child is traced only so that it stops at its exit,
// where its VmHWM can still be read.
inline bool MeasureOnce(const Command& c, const std::string& scratch, Side* side)
{
    Prepared p(c, scratch);
    const int log = open(p.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log < 0)
        return false;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(log, 1);
        dup2(log, 2);
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        execvpe(p.argv[0], p.argv.data(), p.envp.data());
        _exit(127);
    }
    close(log);
    if (pid < 0)
        return false;
    int status = 0;
    // The stop at the new program's start: from here every sample is of it.
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status))
        return Report(false, c, p);
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL));
    std::atomic<bool> done{false};
    long anonKb = 0;
    std::thread sampler([&] {
        while (!done.load(std::memory_order_relaxed)) {
            anonKb = std::max(anonKb, StatusKb(pid, "RssAnon"));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const auto stopSampling = [&] {
        if (!done.exchange(true))
            sampler.join();
    };
    long hwmKb = -1;
    ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
        int signal = WSTOPSIG(status);
        if ((status >> 16) == PTRACE_EVENT_EXIT) {
            // Sampling ends before the process is reaped, so no sample is of a process that took its number.
            stopSampling();
            hwmKb = StatusKb(pid, "VmHWM");
            anonKb = std::max(anonKb, StatusKb(pid, "RssAnon"));
            signal = 0;
        } else if (signal == SIGTRAP) {
            signal = 0;
        }
        ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
    }
    stopSampling();
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && hwmKb >= 0;
    side->privateMb = anonKb / 1024.0;
    side->residentMb = hwmKb / 1024.0;
    return Report(ok, c, p);
}

// Ours and the peer's, alternating, `runs` timed runs each, then one memory
// run each.
inline Pair SideBySide(const Command& ours, const Command& theirs, const std::string& scratch, int runs = kRuns)
{
    OneProcessor();
    Pair p;
    p.ours.ok = p.peer.ok = true;
    for (int run = 0; run < runs && p.Ok(); ++run) {
        for (int i = 0; i < 2 && p.Ok(); ++i) {
            const bool oursNow = (i == 0) == (run % 2 == 0);
            Side& side = oursNow ? p.ours : p.peer;
            const double s = TimeOnce(oursNow ? ours : theirs, scratch);
            side.ok = s >= 0;
            side.seconds = run == 0 ? s : std::min(side.seconds, s);
        }
    }
    if (p.Ok()) {
        p.ours.ok = MeasureOnce(ours, scratch, &p.ours);
        p.peer.ok = MeasureOnce(theirs, scratch, &p.peer);
    }
    for (const Command* c : {&ours, &theirs})
        if (!c->output.empty())
            std::remove(c->output.c_str());
    return p;
}

// A target on the ratio ours / peer of the whole commands.
struct Target {
    double most;       // the largest ratio that meets it; 0 for none
    const char* text;  // as the table prints it
};
constexpr Target kNoTarget{0, ""};
constexpr Target kWithin15{1.5, "<=1.5"};
constexpr Target kNoSlower{1.0, "<=1.0"};

inline const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

inline double TargetMb() { return (benchcmd::kBudgetBytes + benchcmd::kTargetSlackBytes) / 1048576.0; }

// `warm` names what the last column holds (each program says more below the legend).
inline void PrintLegend(const char* warm = "warm, in-process")
{
    std::printf(
        "  cold = whole processes, a fresh one each run (start-up, reading and writing included), ours and the peer's\n"
        "  alternating, best of %d, input files in the page cache; ratio = ours / peer (above 1: ours slower).\n"
        "  One processor (CPU %d) for both sides and this program. Memory from one more, untimed run of each\n"
        "  side: private = peak RssAnon (anonymous resident memory) sampled every 1 ms from /proc/PID/status;\n"
        "  resident = VmHWM read at the process's exit (libraries and mapped files included). Memory target:\n"
        "  ours private within the tile budget (%d MB) + %d MB = %.0f MB.\n",
        kRuns, OneProcessor(), benchcmd::kBudgetBytes >> 20, benchcmd::kTargetSlackBytes >> 20, TargetMb());
    std::printf("  %-28s %-14s | %-36s | %-23s | %-15s | %s\n", "", "", "cold, whole process: seconds",
                "peak private MB", "resident MB", warm);
    std::printf("  %-28s %-14s | %7s %7s %6s %-13s | %7s %7s %-7s | %7s %7s | %7s\n", "work", "size", "ours", "peer",
                "ratio", "target", "ours", "peer", "target", "ours", "peer", "ours s");
}

// warm < 0: none measured.
inline void PrintRow(const std::string& work, const std::string& size, const Pair& p, const Target& target,
                     double warm = -1)
{
    if (!p.Ok()) {
        std::printf("  %-28s %-14s | failed\n", work.c_str(), size.c_str());
        return;
    }
    const double ratio = p.Ratio();
    char goal[32] = "";
    if (target.most > 0)
        std::snprintf(goal, sizeof goal, "%s %s", target.text, Verdict(ratio <= target.most));
    std::printf("  %-28s %-14s | %7.3f %7.3f %6.2f %-13s | %7.1f %7.1f %-7s | %7.1f %7.1f |", work.c_str(), size.c_str(),
                p.ours.seconds, p.peer.seconds, ratio, goal, p.ours.privateMb, p.peer.privateMb,
                Verdict(p.ours.privateMb <= TargetMb()), p.ours.residentMb, p.peer.residentMb);
    if (warm >= 0)
        std::printf(" %7.3f", warm);
    std::printf("\n");
}

inline std::string Mpix(int32_t width, int32_t height)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f Mpix", width * static_cast<double>(height) / 1e6);
    return text;
}

// Pixels made band by band: fill `rows` rows from `top` on, packed.
using BandMaker = std::function<void(int32_t top, int32_t rows, uint8_t* band)>;

// A binary PPM (maxval 255 or 65535, samples big-endian as the format says).
inline bool WritePpm(const std::string& path, int32_t width, int32_t height, int bytesPerSample, const BandMaker& make)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n%d\n", width, height, bytesPerSample == 1 ? 255 : 65535);
    constexpr int32_t kBand = 64;
    const size_t rowBytes = static_cast<size_t>(width) * 3 * bytesPerSample;
    std::vector<uint8_t> band(rowBytes * kBand);
    bool ok = true;
    for (int32_t top = 0; top < height && ok; top += kBand) {
        const int32_t rows = std::min(kBand, height - top);
        make(top, rows, band.data());
        if (bytesPerSample == 2)
            for (size_t i = 0; i < rowBytes * rows; i += 2)
                std::swap(band[i], band[i + 1]);
        ok = std::fwrite(band.data(), 1, rowBytes * rows, f) == rowBytes * rows;
    }
    return std::fclose(f) == 0 && ok;
}

}  // namespace peer
