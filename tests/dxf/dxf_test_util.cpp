#include "dxf_test_util.h"

#include <sys/wait.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace jw::dxftest {

std::vector<Group> ParseGroups(std::string_view text, bool& ok) {
    ok = true;
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t e = text.find("\r\n", pos);
        if (e == std::string_view::npos) {
            ok = false;
            break;
        }
        const std::string_view line = text.substr(pos, e - pos);
        if (line.find('\n') != std::string_view::npos || line.find('\r') != std::string_view::npos) ok = false;
        lines.emplace_back(line);
        pos = e + 2;
    }
    if (lines.size() % 2 != 0) ok = false;
    std::vector<Group> out;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        const std::string& c = lines[i];
        const std::string trimmed = c.substr(c.find_first_not_of(' ') == std::string::npos ? 0 : c.find_first_not_of(' '));
        bool digits = !trimmed.empty();
        for (char ch : trimmed) digits = digits && std::isdigit(static_cast<unsigned char>(ch));
        if (!digits || (c.size() != 3 && !(c.size() == 4 && trimmed.size() == 4))) ok = false;
        out.push_back({c, lines[i + 1]});
    }
    return out;
}

std::string SectionText(const std::string& text, std::string_view name) {
    const std::string head = "  2\r\n" + std::string(name) + "\r\n";
    const size_t b = text.find(head);
    if (b == std::string::npos) return {};
    const size_t start = b + head.size();
    const size_t end = text.find("  0\r\nENDSEC\r\n", start);
    return text.substr(start, end - start);
}

std::string Crlf(std::string_view lines) {
    if (!lines.empty() && lines.front() == '\n') lines.remove_prefix(1);
    if (!lines.empty() && lines.back() == '\n') lines.remove_suffix(1);
    std::string out;
    size_t pos = 0;
    while (pos <= lines.size()) {
        size_t e = lines.find('\n', pos);
        if (e == std::string_view::npos) e = lines.size();
        out.append(lines.substr(pos, e - pos));
        out.append("\r\n");
        pos = e + 1;
    }
    return out;
}

std::vector<std::string> Values(const std::vector<Group>& g, int code) {
    std::vector<std::string> v;
    for (const Group& x : g)
        if (x.Code() == code) v.push_back(x.value);
    return v;
}

void FillRichModel(TDXFmodel& m, const JwString& imageSrc, const JwString& imageDir) {
    m.SetAppName(u"zumenscope test");
    m.SetPap(0, 0, 420, 297, 420, 297);
    m.AddLtype(u"Continuous", u"Solid line", {});
    const double dashed[] = {12.7, -6.35};
    m.AddLtype(u"DASHED", u"Dashed __ __", dashed);
    const double sxf[] = {6, -1.5};
    m.AddLtype(u"SXF_破線", u"02 dashed", sxf);
    m.AddLayer(u"0", 7, 1, 0, true, true);
    m.AddLayer(u"DEFPOINTS", 7, 1, 0, true, false);
    m.AddLayer(u"HOJO", 6, 2, 0, true, false);
    m.AddLayer(u"VP", 7, 1, 0, false, false);
    m.AddLayer(u"壁", 3, 3, 25, true, true);
    m.AddStyle(u"Standard", u"txt", u"extfont2.shx", 0, 1, 0, 2.5, false);
    m.AddStyle(u"Annotative", u"txt.shx", u"extfont2.shx", 0, 1, 0, 2.5, false);
    m.AddStyle(u"MOJI1", u"ＭＳ ゴシック.ttf", u"", 0, 1, 0, 2, false);
    m.AddStyle(u"MOJI1T", u"@ＭＳ ゴシック.ttf", u"", 0, 1, 0, 2, true);

    // Block definitions: a marker, a plain block with every kind it can hold,
    // and a dimension block.
    const int32_t marker = m.AddBlockDef(u"_TRANS_TMARKER_2", -1);
    m.AddBlockArc(marker, 0, 0, -1, -1, -1, 0, 0, 1.25, 1, 0, 0, 0);
    const int32_t blk = m.AddBlockDef(u"部品", 3);
    m.AddBlockLine(blk, 0, 4, 1, 1, 30, 0, 0, 10, 0);
    m.AddBlockArc(blk, 0, 4, 2, 1, 0, 5, 5, 3, 1, 0, 90, 0);
    m.AddBlockArc(blk, 0, 4, 2, 1, 0, 5, 5, 3, 0.5, 0, 0, 30);
    m.AddBlockSolid3(blk, 0, 4, 4, 0, 0, 1, 0, 0, 1);
    m.AddBlockMoji(blk, 0, 4, 5, 2, 0, 0, 0, 0, 10, 0, 2.5, 2.5, 0, 0, u"ＭＳ ゴシック", u"部品名");
    m.AddBlockTen(blk, 0, 4, 1, 0, 0, 1, 1, 0, 1);
    const TDXF_PLinePoint pts[] = {{0, 0, 0}, {10, 0, 1.0}, {10, 10, 0}};
    m.AddBlockPLine(blk, 0, 4, 1, 1, 0, 0.5, 0.5, false, pts);
    if (!imageDir.empty()) m.AddBlockImage(blk, 0, 4, 0, 0, 4, 3, 40, 30, 0, imageSrc);
    m.AddBlockBlock(blk, 0, 4, 1, 1, 0, marker, 2, 2, 0, 1, 1);
    const int32_t dimBlk = m.AddBlockDef(u"*D1", -1);
    m.AddBlockLine(dimBlk, 0, 4, 1, 1, 0, 0, 0, 100, 0);

    // Top level.
    m.AddLine(0, 4, 1, 1, 30, 10, 10, 200, 10);
    m.AddLine(0, 2, 6, 2, 0, 10, 20, 200, 20);
    m.AddArc(0, 4, 2, 1, 0, 100, 100, 20, 1, 0, 360, 0);
    m.AddArc(0, 4, 2, 1, 0, 100, 100, 25, 1, 30, -60, 0);
    m.AddArc(0, 4, 2, 1, 0, 150, 100, 30, 0.5, 0, 360, 20);
    m.AddArc(0, 4, 2, 1, 0, 150, 150, 30, 0.5, 10, 120, 20);
    m.AddTen(0, 4, 1, 0, 0, 50, 50, 0, 1);
    m.AddTen(0, 4, 1, 0, -2, 60, 50, 45, 2);  // marker _TRANS_TMARKER_2
    m.AddTen(0, 4, 1, 0, 5, 70, 50, 0, 1);    // marker block missing: skipped
    m.AddSolid3(0, 4, 4, 0, 0, 10, 0, 0, 10);
    m.AddSolid4(0, 4, 4, 20, 0, 30, 0, 30, 10, 20, 10);
    m.AddMoji(0, 4, 5, 2, 0, 0, 10, 200, 60, 200, 3, 3, 0, 0, u"ＭＳ ゴシック", u"平面図 1:100");
    m.AddMoji(0, 4, 5, 3, 0, 1, 10, 220, 10, 190, 3, 3, 0, 90, u"ＭＳ ゴシック", u"縦書き");
    m.AddMoji(0, 4, 5, 2, 0, 0, 10, 240, 60, 240, 3, 3, 0, 0, u"", u"   ");  // skipped
    if (!imageDir.empty()) {
        m.AddFList(imageSrc, imageDir, 4, 3, 40, 30, 0);
        m.AddImage(0, 4, 300, 200, 4, 3, 40, 30, 15, imageSrc);
        m.AddImage(0, 4, 300, 250, 4, 3, 40, 30, 0, u"unregistered.png");  // skipped
    }
    m.AddPLine(0, 4, 1, 1, 0, 0, 0, true, pts);
    TDXF_Dimension d;
    d.lay = 4;
    d.col = 1;
    d.bln = dimBlk;
    d.stp = 32;
    d.x0 = 100, d.y0 = 0, d.x1 = 50, d.y1 = 5;
    d.fl3 = d.fl4 = true;
    d.x4 = 100;
    d.str = u"100";
    d.sst = u"ISO-25";
    m.AddDim(d);
    m.AddBlock(0, 4, 1, 1, 0, blk, 250, 100, 30, 2, 1);
    m.AddBlock(0, 4, 1, 1, 0, -1, 250, 100, 30, 2, 1);  // no block: skipped
    m.AddLine(1, 4, 1, 1, 0, 0, 0, 10, 10);            // first paper space
    m.AddLine(2, 4, 1, 1, 0, 0, 0, 20, 20);            // second paper space
}

int RunCommand(const std::string& cmd, std::string& out) {
    out.clear();
    FILE* f = ::popen(cmd.c_str(), "r");
    if (f == nullptr) return -1;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const int status = ::pclose(f);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::filesystem::path FreshDir(const std::filesystem::path& dir) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

int RunEzdxfCheck(const std::string& files, std::string& out) {
    const std::string script = std::string(ZS_SOURCE_DIR) + "/tests/dxf/ezdxf_check.py";
    return RunCommand("/usr/bin/python3 '" + script + "'" + files + " 2>&1", out);
}

EzdxfReport ParseEzdxfReport(const std::string& out) {
    EzdxfReport r;
    std::string current;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        const size_t sp = line.find(' ');
        const std::string key = line.substr(0, sp);
        const std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);
        if (key == "file") {
            current = rest;
        } else if (key == "error") {
            r.errors[current].push_back(rest);
        } else if (key == "fix") {
            r.fixes[current].push_back(rest);
        } else if (key == "dimension") {
            std::istringstream fields(rest);
            EzdxfDimension d;
            std::string found, measurement;
            fields >> d.block >> found >> d.type >> measurement;
            d.found = found == "found";
            d.measurement = measurement == "none" ? std::nan("") : std::stod(measurement);
            r.dimensions[current].push_back(d);
        } else if (key == "layout" || key == "block" || key == "viewports") {
            const size_t last = rest.rfind(' ');
            r.facts[current][key + ":" + rest.substr(0, last)] = rest.substr(last + 1);
        } else {
            r.facts[current][key] = rest;
        }
    }
    return r;
}

}  // namespace jw::dxftest
