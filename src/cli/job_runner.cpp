#include "job_runner.h"

namespace jw::cli {

unsigned AllCores() { return std::max(1u, std::thread::hardware_concurrency()); }

void AddJobsOption(CLI::App& sub, unsigned& jobs) {
    sub.add_option("-j,--jobs", jobs, "Files worked on at once (default 0: one per core); output keeps the input order")
        ->check(CLI::NonNegativeNumber);
}

}  // namespace jw::cli
