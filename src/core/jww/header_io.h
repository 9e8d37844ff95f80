// The two sides a header description is walked with. A description is a
// function template over the side (jww_header.cpp, jws_header.cpp): it names
// every field of a header once, in file order, under the versions that hold
// it (`io.ver`). HeaderReading runs it to fill a model from a file,
// HeaderWriting to put a model out.
//
// Where the file holds a value in another form than the model, the field
// names a form. Out(held) is the value the writer puts out for the held one;
// In(read), where a form has it, is the value the reader keeps of the one it
// read (and may derive other fields from it). A field without a form is
// written as held and kept as read.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <type_traits>

#include "jww/archive.h"

namespace jw {

// A field that is written as held and kept as read.
struct AsHeld {};

// A name (layer, layer group, ...): written cleaned (StrOutClean), read
// without its control characters.
struct CleanName {
    JwString Out(const JwString& held) const;
};

class HeaderReading {
public:
    explicit HeaderReading(ArchiveReader& ar) : ar_(ar) {}

    // The version the file states, from the moment Version has read it.
    int32_t ver = 0;

    // The signature: sig.size() bytes decoded into id; any other text fails
    // with error.
    void Signature(JwString& id, std::string_view sig, const char* error);
    // The version into v (and into ver and the archive); one outside first ..
    // kLastVersion fails with error.
    void Version(int32_t& v, int32_t first, const char* error);
    // Bytes that mean nothing to the reader.
    void Reserved(size_t n, uint8_t /*fill*/) { ar_.Skip(n); }

    // A number (int32_t: 4 bytes, double: 8 bytes).
    template <class T, class Form = AsHeld>
        requires std::is_same_v<T, int32_t> || std::is_same_v<T, double>
    void Field(T& v, Form form = {}) {
        T read;
        if constexpr (std::is_same_v<T, int32_t>)
            read = ar_.ReadInt();
        else
            read = ar_.ReadDouble();
        if constexpr (requires { form.In(read); })
            v = form.In(read);
        else
            v = read;
    }
    template <class... T>
    void Fields(T&... v) {
        (Field(v), ...);
    }
    // The header's last field, of which the reader counts the bytes the file
    // still held (LastDelivered).
    template <class T>
    void LastField(T& v) {
        const size_t start = ar_.Pos();
        Field(v);
        lastDelivered_ = ar_.Pos() - start;
    }
    // The memo, kept as read (line breaks included).
    void Memo(JwString& s) { s = ar_.StrIn(); }
    template <class Form = CleanName>
    void Name(JwString& s, Form = {}) {
        s = ar_.StrInFilter();
    }
    // A table entry the writer may put out in another form as a whole:
    // Form::Out(entry) is the entry written in its place, or none when it is
    // written as held. fields(entry) walks its fields.
    template <class E, class Form, class Walk>
    void Entry(E& e, const Form&, Walk&& fields) {
        fields(e);
    }

    // Bytes the file held of the header's last field (its size when the file
    // did not end inside it).
    size_t LastDelivered() const { return lastDelivered_; }

private:
    ArchiveReader& ar_;
    size_t lastDelivered_ = 0;
};

class HeaderWriting {
public:
    HeaderWriting(ArchiveWriter& aw, int32_t version) : ver(version), aw_(aw) {}

    // The target version.
    const int32_t ver;

    void Signature(const JwString& /*id*/, std::string_view sig, const char* /*error*/) {
        aw_.WriteBytes(sig.data(), sig.size());
    }
    void Version(const int32_t& /*held*/, int32_t /*first*/, const char* /*error*/) { aw_.WriteInt(ver); }
    // n bytes of the value fill.
    void Reserved(size_t n, uint8_t fill);

    template <class T, class Form = AsHeld>
        requires std::is_same_v<T, int32_t> || std::is_same_v<T, double>
    void Field(const T& v, Form form = {}) {
        T out = v;
        if constexpr (requires { form.Out(v); }) out = form.Out(v);
        aw_.WriteBytes(&out, sizeof out);
    }
    template <class... T>
    void Fields(const T&... v) {
        (Field(v), ...);
    }
    template <class T>
    void LastField(const T& v) {
        Field(v);
    }
    void Memo(const JwString& s) { aw_.StrOut(s); }
    template <class Form = CleanName>
    void Name(const JwString& s, Form form = {}) {
        aw_.StrOut(form.Out(s));
    }
    template <class E, class Form, class Walk>
    void Entry(const E& e, const Form& form, Walk&& fields) {
        if (const std::optional<E> other = form.Out(e))
            fields(*other);
        else
            fields(e);
    }

private:
    ArchiveWriter& aw_;
};

// HeaderIn of both models: runs `walk` on a HeaderReading of ar; false, with
// the failure in LastError, when it fails.
template <class Model, class Walk>
bool ReadHeader(Model& m, ArchiveReader& ar, Walk&& walk) {
    HeaderReading io(ar);
    bool ok = true;
    ar.place = ReadPlace{ReadSection::Header, -1, -1, 0, ar.Pos()};
    try {
        walk(io);
    } catch (const JwIOError& e) {
        m.LastError = e.what();
        m.LastErrorDetail = ar.FailureDetail();
        ok = false;
    }
    m.MojiEncode = m.MojiEncode || ar.mojiEncode;
    if (ok) {
        m.LastError.clear();
        m.LastErrorDetail.clear();
    }
    return ok;
}

// FileCheck of both models: whether FName starts with the bytes that `head`
// (signature and version of a header description) accepts. The first
// headSize bytes are read; of a shorter file the missing bytes read as zero,
// unless wholeHead demands them all.
bool FileStartsWithHead(const JwString& FName, size_t headSize, bool wholeHead,
                        const std::function<void(HeaderReading&)>& head);

}  // namespace jw
