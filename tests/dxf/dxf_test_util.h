// Helpers of the DXF tests: reading the group structure of written text and
// a model with every entity kind.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_model.h"

namespace jw::dxftest {

struct Group {
    std::string code;   // as written, e.g. "  0"
    std::string value;
    int Code() const { return std::stoi(code); }
};

// Splits DXF text into groups. Sets ok to false when a line does not end in
// CR LF, a code line is not a right-aligned number or the line count is odd.
std::vector<Group> ParseGroups(std::string_view text, bool& ok);

// The text between "  2\r\n<name>\r\n" of a section and its "  0\r\nENDSEC\r\n".
std::string SectionText(const std::string& text, std::string_view name);

// Lines joined with CR LF (each line ended by CR LF).
std::string Crlf(std::string_view lines);

// Values of every group with code `code`.
std::vector<std::string> Values(const std::vector<Group>& g, int code);

// A model with standard tables and at least one entity of every kind, top
// level and in block definitions; image files are registered under imageDir
// when it is not empty (the files themselves are created by the caller).
void FillRichModel(TDXFmodel& m, const JwString& imageSrc, const JwString& imageDir);

// Runs a shell command; answers its exit status and standard output.
int RunCommand(const std::string& cmd, std::string& out);

// Runs tests/dxf/ezdxf_check.py on files (paths, each quoted and preceded by
// a space); answers its exit status (2 with "ezdxf missing" when
// python3-ezdxf is not installed) and its output.
int RunEzdxfCheck(const std::string& files, std::string& out);

// What ezdxf_check.py reports, by file as the script names it: the facts
// ("layout:<name>", "viewports:<name>" and "block:<name>" for the entity
// counts of a layout or block and the viewports of a layout), the audit
// errors, what the audit fixed, and every DIMENSION with its block and
// measurement.
struct EzdxfDimension {
    std::string block;
    bool found = false;
    int type = -1;           // without the flags: 0 rotated, 3 diameter, 4 radius, 5 angle
    double measurement = 0;  // NaN when ezdxf measures nothing
};
struct EzdxfReport {
    std::map<std::string, std::map<std::string, std::string>> facts;
    std::map<std::string, std::vector<std::string>> errors;
    std::map<std::string, std::vector<std::string>> fixes;
    std::map<std::string, std::vector<EzdxfDimension>> dimensions;
};
EzdxfReport ParseEzdxfReport(const std::string& out);

// dir emptied (or made) for the files of one check; it stays after the run
// so that the files can be looked at.
std::filesystem::path FreshDir(const std::filesystem::path& dir);

}  // namespace jw::dxftest
