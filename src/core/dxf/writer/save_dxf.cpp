// SaveDXF: the sections in file order, the names encoded once per save, and
// the handle plan.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "dxf/jww_to_dxf.h"
#include "dxf/placement.h"
#include "dxf/writer/writer.h"
#include "support/file_io.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

namespace dxfwriter {

namespace {

// Output sink that collects the text in memory.
class StringSink : public OutputSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    void Write(const uint8_t* data, size_t n) override { out_.append(reinterpret_cast<const char*>(data), n); }

private:
    std::string& out_;
};

}  // namespace

void MakeAsciiUpper(std::string& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

std::string AsciiUpper(std::string_view s) {
    std::string up(s);
    MakeAsciiUpper(up);
    return up;
}

// A release outside R12 .. 2007 is written as the nearest one.
DxfWriter::DxfWriter(TDXFmodel& m, OutputSink& sink)
    : DxfGroupWriter(sink, m.Ver >= kDxf2007), m_(m), r12_(m.Ver <= kDxfR12), v2007_(m.Ver >= kDxf2007) {}

void DxfWriter::Write(const JwString& src) {
    m_.DXFHnd = 1;
    m_.srcName = src;
    m_.hn_blk = 0;
    Prepare();
    m_.DXFHnd = Ltn() + 6;  // after the reserved handles
    PlanHandles();

    Text(999, m_.AppNam);
    Header(src);
    if (!r12_) Classes();
    Tables();
    Blocks();
    Section("ENTITIES");
    Entities(m_.de, 0, 0);
    EndSection();
    if (!r12_) Objects();
    Str(0, "EOF");
    Flush();
}

std::string DxfWriter::Name(std::u16string_view s) {
    std::string out;
    if (r12_ && !std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; })) {
        Encode(StrUpper(s), out);
        return out;
    }
    Encode(s, out);
    // Both encodings keep ASCII as it is, so its upper case can follow.
    if (r12_) MakeAsciiUpper(out);
    return out;
}

void DxfWriter::AnnotativeData() {
    Str(1001, "AcadAnnotative");
    Str(1000, "AnnotativeData");
    Str(1002, "{");
    Int(1070, 1);
    Int(1070, 1);
    Str(1002, "}");
}

void DxfWriter::Prepare() {
    ltName_.clear();
    ltName_.reserve(m_.ltps.size());
    for (const TDXF_Ltype& t : m_.ltps) ltName_.push_back(Name(t.nam));
    layName_.clear();
    layName_.reserve(m_.lays.size());
    for (const TDXF_Layer& l : m_.lays) {
        std::string s;
        Encode(l.nam, s);
        layName_.push_back(std::move(s));
    }
    stName_.clear();
    stName_.reserve(m_.msts.size());
    for (const TDXF_Style& s : m_.msts) stName_.push_back(Name(s.nam));
    blkName_.clear();
    blkName_.reserve(m_.deBlockDef.size());
    for (const TDXF_BlockDef& b : m_.deBlockDef) blkName_.push_back(Name(b.nam));
    ttfStyle_.clear();
    for (int k = 1; k <= 11; ++k) {
        marker_[0][k] = m_.GetBlockIdx(JwTenMarkerName(k));
        marker_[1][k] = m_.GetBlockIdx(JwTenMarkerName(-k));
    }
    marker_[0][0] = marker_[1][0] = -1;
    // Handles of an earlier save must not leak into this one.
    for (TDXF_Image& im : m_.de.Imag) im.hnd = 0;
    for (TDXF_BlockDef& b : m_.deBlockDef)
        for (TDXF_Image& im : b.dm.Imag) im.hnd = 0;
    for (TDXF_FileNameList& f : m_.deFList) f.hnd = 0;
}

// Counts the handles each section takes, from DXFHnd on: the tables, the
// blocks (the layouts' own blocks with the top-level entities of the further
// layouts, then the definitions with their contents), the top-level entities
// of the ENTITIES section, and the objects, whose image definitions come
// last. $HANDSEED follows the largest handle written: in 2000 and 2007 the
// last object; R12 has no objects and ends with its last written entity, or
// with the last ENDBLK.
void DxfWriter::PlanHandles() {
    const int32_t ltn = Ltn();
    TDXF_Entities& de = m_.de;
    const size_t n = de.No.size();

    // Top-level entities of the further layouts (spaces 2 .. Ltn), grouped by
    // layout in one pass with their order kept; the others (space <= 1) are
    // those of the ENTITIES section. Entities of other spaces are never
    // written and take no handle.
    layoutStart_.assign(static_cast<size_t>(ltn) + 2, 0);
    std::vector<int32_t> spaces(n, -1);
    int64_t layoutHandles = 0, entityHandles = 0;
    for (size_t i = 0; i < n; ++i) {
        int32_t spc = 0, handles = 0;
        if (!Sizes(de, de.No[i], spc, handles)) continue;
        if (spc >= 2 && spc <= ltn) {
            spaces[i] = spc;
            ++layoutStart_[spc + 1];
            layoutHandles += handles;
        } else if (spc <= 1) {
            entityHandles += handles;
        }
    }
    for (size_t p = 1; p < layoutStart_.size(); ++p) layoutStart_[p] += layoutStart_[p - 1];
    layoutOrder_.resize(layoutStart_.back());
    std::vector<uint32_t> fill(layoutStart_.begin(), layoutStart_.end() - 1);
    for (size_t i = 0; i < n; ++i)
        if (spaces[i] >= 0) layoutOrder_[fill[spaces[i]]++] = static_cast<uint32_t>(i);

    // A BLOCK and an ENDBLK for model space, paper space, each further layout
    // and each definition.
    int64_t blockHandles = 2 * (ltn + 1) + layoutHandles;
    for (TDXF_BlockDef& b : m_.deBlockDef) blockHandles += 2 + ContentHandles(b.dm);
    const int64_t entitiesFirst = m_.DXFHnd + TableHandles() + blockHandles;
    objects_ = entitiesFirst + entityHandles;

    if (!r12_) {
        // ACAD_COLOR, ACAD_GROUP, ACAD_LAYOUT, ACAD_PLOTSTYLENAME, then the
        // image definitions.
        int64_t h = objects_ + 4;
        for (TDXF_FileNameList& f : m_.deFList) f.hnd = static_cast<int32_t>(h++);
        seed_ = h;
        return;
    }
    int64_t last = entitiesFirst - 1;  // the last ENDBLK
    int64_t end = objects_;            // one past the handles of entity i
    for (size_t i = n; i-- > 0;) {
        int32_t spc = 0, handles = 0;
        if (!Sizes(de, de.No[i], spc, handles) || spc > 1) continue;
        if (Written(de, de.No[i])) {
            last = end - 1;
            break;
        }
        end -= handles;
    }
    seed_ = last + 1;
}

}  // namespace dxfwriter

// ---------------------------------------------------------------------------
// TDXFmodel entry points

namespace {

// The first bytes of a linked image that must show it is a picture.
constexpr size_t kImageHead = 4 << 20;

// Copies image f beside the DXF: into a new file (created exclusively, never
// through a link, never replacing anything), under f.dst or, when that name
// was taken meanwhile, the next free one, which f.dst then becomes. Answers
// why it failed, or empty.
std::string CopyImage(TDXFmodel& m, int32_t index) {
    TDXF_FileNameList& f = m.deFList[static_cast<size_t>(index)];
    try {
        AtomicFileSink sink(f.dst, SinkTarget::New);
        std::string error;
        const auto picture = [&f](const uint8_t* data, size_t n) {
            int32_t w = 0, h = 0;
            return !f.linked || DxfImageBytesPixelSize(data, n, w, h);
        };
        if (!CopyFileInto(f.src, sink, kImageHead, picture, error))
            return error == "refused" ? "it is not a picture the export reads" : error;
        const JwString folder = AddPathDelim(FromNativePath(NativePath(f.dst).parent_path()));
        for (int32_t i = 0;;) {
            try {
                sink.Commit();
                return std::string();
            } catch (const JwFileExists&) {
            }
            do {
                if (++i > 99999) return "no free name for the copy";
                f.dst = TDXFmodel::CopyName(f.src, folder, i);
            } while (!m.CopyNameFree(f.dst, index));
            sink.Rename(f.dst);
        }
    } catch (const JwIOError& e) {
        return e.what();
    } catch (const std::exception&) {
        return kErrFileIO;
    }
}

// True when dst is a device or FIFO, which a save writes to directly.
bool StreamTarget(const JwString& dst) {
    std::error_code ec;
    const auto st = std::filesystem::status(NativePath(dst), ec);
    return !ec && std::filesystem::exists(st) && !std::filesystem::is_regular_file(st) &&
           !std::filesystem::is_directory(st);
}

}  // namespace

bool TDXFmodel::SaveDXF(const JwString& src, const JwString& dst) {
    LastError.clear();
    dstName = dst;
    // The images first, so that the DXF names the copies as they were made.
    // A failed copy leaves no partial file and does not stop the others.
    std::vector<JwString> made;
    if (!deFList.empty() && StreamTarget(dst)) {
        Warnings.push_back("the images are not copied: the DXF goes to a device or FIFO");
    } else {
        for (size_t i = 0; i < deFList.size(); ++i) {
            const std::string why = CopyImage(*this, static_cast<int32_t>(i));
            if (why.empty()) {
                made.push_back(deFList[i].dst);
                continue;
            }
            if (!LastError.empty()) LastError += "; ";
            LastError += "cannot copy the image " + ToUtf8(deFList[i].src) + " to " + ToUtf8(deFList[i].dst) + ": " +
                         why;
        }
    }
    try {
        AtomicFileSink sink(dst);
        dxfwriter::DxfWriter w(*this, sink);
        w.Write(src);
        sink.Commit();
        return LastError.empty();
    } catch (const JwIOError& e) {
        LastError = e.what();
    } catch (const std::exception&) {
        LastError = kErrFileIO;
    }
    // Without the DXF the copies made for it are of no use.
    for (const JwString& copy : made) FileDelete(copy);
    return false;
}

std::string TDXFmodel::SaveDXFText(const JwString& src) {
    std::string out;
    dxfwriter::StringSink sink(out);
    SaveDXFTo(sink, src);
    return out;
}

void TDXFmodel::SaveDXFTo(OutputSink& sink, const JwString& src) {
    dxfwriter::DxfWriter w(*this, sink);
    w.Write(src);
}

}  // namespace jw
