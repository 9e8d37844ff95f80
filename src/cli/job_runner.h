// Batch work on several threads: one job per input, run by N worker threads,
// with the results handed back on the calling thread in input order, so that
// the output of a batch is the same whatever the number of threads. The
// progress line names the input whose result is awaited next.
//
// A job must only touch its own data and the thread_local program-wide values
// (support/program_values.h); it runs on a worker thread.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli_support.h"

namespace jw::cli {

// The number of threads -j 0 (the default) stands for: every core.
unsigned AllCores();

// The most files -j lets a command work on at once.
inline constexpr unsigned kMaxJobs = 1024;

// Adds "-j,--jobs N" (0 to kMaxJobs) to a command; jobs keeps 0 (every core)
// unless given.
void AddJobsOption(CLI::App& sub, unsigned& jobs);

// Bytes of memory the process may still take: what the system has
// available, and no more than its control group allows; 0 when neither can
// be read.
uint64_t AvailableMemory();

// How many of `wanted` jobs (0 = every core) may run at once when each may
// take perJob bytes, with available bytes free (0: unknown, no limit): at
// least one.
unsigned JobsThatFit(unsigned wanted, uint64_t perJob, uint64_t available);

// Runs job(i) for i = 0 .. names.size()-1 on up to `threads` threads (0 =
// every core) and calls emit(i, result) on the calling thread for i in order,
// each as soon as it and all before it are done. While the result of i is
// awaited the progress line shows "[i+1/N] names[i]". At most a few results
// per thread wait for their turn, so a batch of any length holds little. A job
// that throws ends the batch: the exception reaches the caller after the
// running jobs have finished.
template <class Result>
void RunInOrder(Console& io, const std::vector<std::string>& names, unsigned threads,
                const std::function<Result(size_t)>& job, const std::function<void(size_t, Result&)>& emit) {
    const size_t count = names.size();
    ProgressLine progress(io, count);
    if (threads == 0) threads = AllCores();
    threads = static_cast<unsigned>(std::min<size_t>(threads, count));
    if (threads <= 1) {
        for (size_t i = 0; i < count; ++i) {
            progress.Show(i + 1, names[i]);
            Result r = job(i);
            progress.Clear();
            emit(i, r);
        }
        return;
    }

    struct Slot {
        std::optional<Result> result;
        std::exception_ptr error;
    };
    const size_t window = 4 * static_cast<size_t>(threads);  // results that may wait for their turn
    std::vector<Slot> slots(count);
    std::mutex mutex;
    std::condition_variable ready;   // a slot was filled
    std::condition_variable room;    // the emitted count moved on, or the batch stopped
    size_t next = 0;                 // next job to start
    size_t emitted = 0;              // results handed to emit
    bool stop = false;

    auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            room.wait(lock, [&] { return stop || next >= count || next < emitted + window; });
            if (stop || next >= count) return;
            const size_t i = next++;
            lock.unlock();
            Slot slot;
            try {
                slot.result.emplace(job(i));
            } catch (...) {
                slot.error = std::current_exception();
            }
            lock.lock();
            slots[i] = std::move(slot);
            ready.notify_all();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned t = 0; t < threads; ++t) workers.emplace_back(work);
    auto finish = [&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        room.notify_all();
        for (std::thread& w : workers) w.join();
    };

    try {
        for (size_t i = 0; i < count; ++i) {
            progress.Show(i + 1, names[i]);
            Slot slot;
            {
                std::unique_lock lock(mutex);
                ready.wait(lock, [&] { return slots[i].result || slots[i].error; });
                slot = std::move(slots[i]);
                emitted = i + 1;
            }
            room.notify_all();
            progress.Clear();
            if (slot.error) std::rethrow_exception(slot.error);
            emit(i, *slot.result);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

}  // namespace jw::cli
