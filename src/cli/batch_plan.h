// The inputs and outputs of a batch command (info, convert, dxf, render):
// the arguments expanded into files (a folder stands for the drawings and
// figures in it, its subfolders too when recursive), the output of each
// (beside its input, under --outdir keeping the subfolders of a folder
// argument, or at -o for one input), each output claimed once, and the
// output folders made once before the jobs start.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli.h"

namespace jw::cli {

// One input of a batch: the file, where its output goes (empty for a
// command that writes none), and why it is not processed when the plan
// already knows.
struct BatchJob {
    std::string in;
    std::filesystem::path out;
    std::string error;
};

struct BatchRequest {
    const char* command = "";        // names the usage errors
    std::vector<std::string> args;   // files and folders as given
    bool recursive = false;          // a folder argument takes its subfolders
    bool outputs = true;             // false: the command writes nothing (info)
    std::string extension;           // of each output (".dxf"); empty: the input's name as it is
    std::string out;                 // -o: the output of the one input
    std::string outdir;              // --outdir: the folder of the outputs
};

// The jobs of the command line in order: files as given, folders replaced by
// their drawings and figures sorted by path; a folder that cannot be read or
// holds none is a job with its error. Of two inputs with one output the
// first one writes it. Answers false after a usage error (-o with several
// inputs), said on io.
bool PlanBatch(const BatchRequest& request, Console& io, std::vector<BatchJob>& jobs);

// Makes the folder outdir and the subfolders the jobs write to, once before
// they start; a job whose folder cannot be made gets that error. Answers
// false, said on io, when outdir itself cannot be made. Nothing to do
// without outdir.
bool MakeBatchFolders(Console& io, const std::string& outdir, std::vector<BatchJob>& jobs);

// The inputs of the jobs, for the progress line.
std::vector<std::string> BatchNames(const std::vector<BatchJob>& jobs);

}  // namespace jw::cli
