#include "job_runner.h"

#include <fstream>
#include <sstream>

namespace jw::cli {

namespace {

// The first number on the line of /proc/meminfo that starts with key, in bytes.
uint64_t MemInfo(const char* key) {
    std::ifstream in("/proc/meminfo");
    std::string line;
    const std::string k = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.compare(0, k.size(), k) == 0) {
            uint64_t kib = 0;
            std::istringstream(line.substr(k.size())) >> kib;
            return kib * 1024;
        }
    return 0;
}

// What the control group (version 2) still lets the process take; 0 when
// it sets no limit.
uint64_t GroupRoom() {
    uint64_t max = 0, used = 0;
    std::ifstream limit("/sys/fs/cgroup/memory.max");
    if (!(limit >> max)) return 0;  // "max", or no such file
    std::ifstream current("/sys/fs/cgroup/memory.current");
    current >> used;
    return max > used ? max - used : 1;
}

}  // namespace

unsigned AllCores() { return std::max(1u, std::thread::hardware_concurrency()); }

void AddJobsOption(CLI::App& sub, unsigned& jobs) {
    sub.add_option("-j,--jobs", jobs, "Files worked on at once (default 0: one per core); output keeps the input order")
        ->check(NumberRange(0, kMaxJobs, "0 (every core) to " + std::to_string(kMaxJobs)));
}

uint64_t AvailableMemory() {
    const uint64_t system = MemInfo("MemAvailable"), group = GroupRoom();
    if (system == 0 || group == 0) return std::max(system, group);
    return std::min(system, group);
}

unsigned JobsThatFit(unsigned wanted, uint64_t perJob, uint64_t available) {
    if (wanted == 0) wanted = AllCores();
    if (available == 0 || perJob == 0) return wanted;
    return static_cast<unsigned>(std::clamp<uint64_t>(available / perJob, 1, wanted));
}

}  // namespace jw::cli
