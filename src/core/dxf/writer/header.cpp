// HEADER: the header variables, one table of name, group code, value and the
// releases that have them, walked in order for the release being written.
#include <cstdint>
#include <string_view>

#include "dxf/dxf_dates.h"
#include "dxf/writer/writer.h"

namespace jw::dxfwriter {

namespace {

// The releases a variable is written in.
enum Releases : uint8_t {
    kR12 = 1,
    k2000 = 2,
    k2007 = 4,
    kSince2000 = k2000 | k2007,
    kAll = kR12 | k2000 | k2007,
};

// Where a variable's value comes from.
enum class From : uint8_t {
    Int,      // the integer x, six characters wide
    Real,     // the real x
    Str,      // the text s as it stands
    Name,     // the name s, upper-cased in R12
    XY,       // the point (x, y) as 10/20
    XYZ,      // the point (x, y, z) as 10/20/30
    // Values of the model and the source file:
    Scale,    // the scale e: pscale in model space, else layer group 0's
    ExtMin,   // (MinWx, MinWy, 0) x e
    ExtMax,   // (MaxWx, MaxWy, 0) x e
    LimMax,   // (papx, papy) x e
    Paper,    // (papx, papy), the paper in mm
    Created,  // the source file's creation time, as a Julian date
    CreatedUniversal,
    Updated,  // its last-write time
    UpdatedUniversal,
    EditTime,   // last write minus creation, in days
    HandSeed,   // the next free handle
};

struct HeaderVar {
    std::string_view name;
    int16_t code;
    From from;
    uint8_t releases;
    double x = 0, y = 0, z = 0;
    std::string_view s = {};
};

constexpr HeaderVar I(std::string_view name, int16_t code, double v, uint8_t rel = kAll) {
    return {name, code, From::Int, rel, v};
}
constexpr HeaderVar R(std::string_view name, int16_t code, double v, uint8_t rel = kAll) {
    return {name, code, From::Real, rel, v};
}
constexpr HeaderVar S(std::string_view name, int16_t code, std::string_view v, uint8_t rel = kAll) {
    return {name, code, From::Str, rel, 0, 0, 0, v};
}
constexpr HeaderVar N(std::string_view name, int16_t code, std::string_view v, uint8_t rel = kAll) {
    return {name, code, From::Name, rel, 0, 0, 0, v};
}
constexpr HeaderVar P2(std::string_view name, double x, double y, uint8_t rel = kAll) {
    return {name, 10, From::XY, rel, x, y};
}
constexpr HeaderVar P3(std::string_view name, double x, double y, double z, uint8_t rel = kAll) {
    return {name, 10, From::XYZ, rel, x, y, z};
}
constexpr HeaderVar M(std::string_view name, int16_t code, From from, uint8_t rel = kAll) {
    return {name, code, from, rel};
}

constexpr HeaderVar kHeader[] = {
    S("$ACADVER", 1, "AC1009", kR12),
    S("$ACADVER", 1, "AC1015", k2000),
    S("$ACADVER", 1, "AC1021", k2007),
    I("$ACADMAINTVER", 70, 20, k2000),
    I("$ACADMAINTVER", 70, 25, k2007),
    S("$DWGCODEPAGE", 3, "ANSI_932"),
    S("$LASTSAVEDBY", 1, "zumenscope", k2007),
    P3("$INSBASE", 0, 0, 0),
    M("$EXTMIN", 10, From::ExtMin),
    M("$EXTMAX", 10, From::ExtMax),
    P2("$LIMMIN", 0, 0),
    M("$LIMMAX", 10, From::LimMax),
    I("$ORTHOMODE", 70, 0),
    I("$REGENMODE", 70, 1),
    I("$FILLMODE", 70, 1),
    I("$QTEXTMODE", 70, 0),
    I("$MIRRTEXT", 70, 0),
    I("$DRAGMODE", 70, 2, kR12),
    M("$LTSCALE", 40, From::Scale),
    I("$OSMODE", 70, 37, kR12),
    I("$ATTMODE", 70, 1),
    R("$TEXTSIZE", 40, 2.5),
    S("$TRACEWID", 40, "1.0"),
    N("$TEXTSTYLE", 7, "Standard"),
    S("$CLAYER", 8, "0"),
    N("$CELTYPE", 6, "ByLayer"),
    I("$CECOLOR", 62, 256),
    R("$CELTSCALE", 40, 1, kSince2000),
    I("$DISPSILH", 70, 0, kSince2000),
    R("$DIMSCALE", 40, 1),
    R("$DIMASZ", 40, 2.5),
    R("$DIMEXO", 40, 0.625),
    R("$DIMDLI", 40, 3.75),
    R("$DIMRND", 40, 0),
    R("$DIMDLE", 40, 0),
    R("$DIMEXE", 40, 1.25),
    R("$DIMTP", 40, 0),
    R("$DIMTM", 40, 0),
    R("$DIMTXT", 40, 2.5),
    R("$DIMCEN", 40, 2.5),
    R("$DIMTSZ", 40, 0),
    I("$DIMTOL", 70, 0),
    I("$DIMLIM", 70, 0),
    I("$DIMTIH", 70, 0),
    I("$DIMTOH", 70, 0),
    I("$DIMSE1", 70, 0),
    I("$DIMSE2", 70, 0),
    I("$DIMTAD", 70, 1),
    I("$DIMZIN", 70, 8),
    S("$DIMBLK", 1, ""),
    I("$DIMASO", 70, 1),
    I("$DIMSHO", 70, 1),
    S("$DIMPOST", 1, ""),
    S("$DIMAPOST", 1, ""),
    I("$DIMALT", 70, 0),
    I("$DIMALTD", 70, 3),
    R("$DIMALTF", 40, 0.03937007874016),
    R("$DIMLFAC", 40, 1),
    I("$DIMTOFL", 70, 1),
    R("$DIMTVP", 40, 0),
    I("$DIMTIX", 70, 0),
    I("$DIMSOXD", 70, 0),
    I("$DIMSAH", 70, 0),
    S("$DIMBLK1", 1, ""),
    S("$DIMBLK2", 1, ""),
    S("$DIMSTYLE", 2, "ISO-25"),
    I("$DIMCLRD", 70, 0),
    I("$DIMCLRE", 70, 0),
    I("$DIMCLRT", 70, 0),
    R("$DIMTFAC", 40, 1),
    R("$DIMGAP", 40, 0.625),
    I("$DIMJUST", 70, 0, kSince2000),
    I("$DIMSD1", 70, 0, kSince2000),
    I("$DIMSD2", 70, 0, kSince2000),
    I("$DIMTOLJ", 70, 0, kSince2000),
    I("$DIMTZIN", 70, 8, kSince2000),
    I("$DIMALTZ", 70, 0, kSince2000),
    I("$DIMALTTZ", 70, 0, kSince2000),
    I("$DIMUPT", 70, 0, kSince2000),
    I("$DIMDEC", 70, 2, kSince2000),
    I("$DIMTDEC", 70, 2, kSince2000),
    I("$DIMALTU", 70, 2, kSince2000),
    I("$DIMALTTD", 70, 3, kSince2000),
    S("$DIMTXSTY", 7, "Standard", kSince2000),
    I("$DIMAUNIT", 70, 0, kSince2000),
    I("$DIMADEC", 70, 0, kSince2000),
    R("$DIMALTRND", 40, 0, kSince2000),
    I("$DIMAZIN", 70, 0, kSince2000),
    I("$DIMDSEP", 70, 44, kSince2000),
    I("$DIMATFIT", 70, 3, kSince2000),
    I("$DIMFRAC", 70, 0, kSince2000),
    S("$DIMLDRBLK", 1, "", kSince2000),
    I("$DIMLUNIT", 70, 2, kSince2000),
    I("$DIMLWD", 70, -2, kSince2000),
    I("$DIMLWE", 70, -2, kSince2000),
    I("$DIMTMOVE", 70, 0, kSince2000),
    R("$DIMFXL", 40, 1, k2007),
    I("$DIMFXLON", 70, 0, k2007),
    S("$DIMJOGANG", 40, "0.7853981633974483", k2007),
    I("$DIMTFILL", 70, 0, k2007),
    I("$DIMTFILLCLR", 70, 0, k2007),
    I("$DIMARCSYM", 70, 0, k2007),
    S("$DIMLTYPE", 6, "", k2007),
    S("$DIMLTEX1", 6, "", k2007),
    S("$DIMLTEX2", 6, "", k2007),
    I("$LUNITS", 70, 2),
    I("$LUPREC", 70, 4),
    R("$SKETCHINC", 40, 1),
    R("$FILLETRAD", 40, 0),
    I("$AUNITS", 70, 0),
    I("$AUPREC", 70, 0),
    S("$MENU", 1, "."),
    R("$ELEVATION", 40, 0),
    R("$PELEVATION", 40, 0),
    R("$THICKNESS", 40, 0),
    I("$LIMCHECK", 70, 0),
    I("$BLIPMODE", 70, 0, kR12),
    R("$CHAMFERA", 40, 0),
    R("$CHAMFERB", 40, 0),
    R("$CHAMFERC", 40, 0, kSince2000),
    R("$CHAMFERD", 40, 0, kSince2000),
    I("$SKPOLY", 70, 0),
    M("$TDCREATE", 40, From::Created),
    M("$TDUCREATE", 40, From::CreatedUniversal, kSince2000),
    M("$TDUPDATE", 40, From::Updated),
    M("$TDUUPDATE", 40, From::UpdatedUniversal, kSince2000),
    M("$TDINDWG", 40, From::EditTime),
    M("$TDUSRTIMER", 40, From::EditTime),
    I("$USRTIMER", 70, 1),
    R("$ANGBASE", 50, 0),
    I("$ANGDIR", 70, 0),
    I("$PDMODE", 70, 0),
    R("$PDSIZE", 40, 0),
    R("$PLINEWID", 40, 0),
    I("$COORDS", 70, 1, kR12),
    I("$SPLFRAME", 70, 0),
    I("$SPLINETYPE", 70, 6),
    I("$SPLINESEGS", 70, 8),
    I("$ATTDIA", 70, 0, kR12),
    I("$ATTREQ", 70, 1, kR12),
    I("$HANDLING", 70, 1, kR12),
    M("$HANDSEED", 5, From::HandSeed),
    I("$SURFTAB1", 70, 6),
    I("$SURFTAB2", 70, 6),
    I("$SURFTYPE", 70, 6),
    I("$SURFU", 70, 6),
    I("$SURFV", 70, 6),
    S("$UCSBASE", 2, "", kSince2000),
    S("$UCSNAME", 2, ""),
    P3("$UCSORG", 0, 0, 0),
    P3("$UCSXDIR", 1, 0, 0),
    P3("$UCSYDIR", 0, 1, 0),
    S("$UCSORTHOREF", 2, "", kSince2000),
    I("$UCSORTHOVIEW", 70, 0, kSince2000),
    P3("$UCSORGTOP", 0, 0, 0, kSince2000),
    P3("$UCSORGBOTTOM", 0, 0, 0, kSince2000),
    P3("$UCSORGLEFT", 0, 0, 0, kSince2000),
    P3("$UCSORGRIGHT", 0, 0, 0, kSince2000),
    P3("$UCSORGFRONT", 0, 0, 0, kSince2000),
    P3("$UCSORGBACK", 0, 0, 0, kSince2000),
    S("$PUCSBASE", 2, "", kSince2000),
    S("$PUCSNAME", 2, ""),
    P3("$PUCSORG", 0, 0, 0),
    P3("$PUCSXDIR", 1, 0, 0),
    P3("$PUCSYDIR", 0, 1, 0),
    S("$PUCSORTHOREF", 2, "", kSince2000),
    I("$PUCSORTHOVIEW", 70, 0, kSince2000),
    P3("$PUCSORGTOP", 0, 0, 0, kSince2000),
    P3("$PUCSORGBOTTOM", 0, 0, 0, kSince2000),
    P3("$PUCSORGLEFT", 0, 0, 0, kSince2000),
    P3("$PUCSORGRIGHT", 0, 0, 0, kSince2000),
    P3("$PUCSORGFRONT", 0, 0, 0, kSince2000),
    P3("$PUCSORGBACK", 0, 0, 0, kSince2000),
    I("$USERI1", 70, 0),
    I("$USERI2", 70, 0),
    I("$USERI3", 70, 0),
    I("$USERI4", 70, 0),
    I("$USERI5", 70, 0),
    R("$USERR1", 40, 0),
    R("$USERR2", 40, 0),
    R("$USERR3", 40, 0),
    R("$USERR4", 40, 0),
    R("$USERR5", 40, 0),
    I("$WORLDVIEW", 70, 1),
    I("$SHADEDGE", 70, 3),
    I("$SHADEDIF", 70, 70),
    I("$TILEMODE", 70, 1),
    I("$MAXACTVP", 70, 64),
    P3("$PINSBASE", 0, 0, 0, kSince2000),
    I("$PLIMCHECK", 70, 0),
    P3("$PEXTMIN", 0, 0, 0),
    P3("$PEXTMAX", 0, 0, 0),
    P2("$PLIMMIN", 0, 0),
    M("$PLIMMAX", 10, From::Paper),
    I("$UNITMODE", 70, 0),
    I("$VISRETAIN", 70, 1),
    I("$PLINEGEN", 70, 0),
    I("$PSLTSCALE", 70, 1),
    I("$TREEDEPTH", 70, 3020, kSince2000),
    S("$CMLSTYLE", 2, "Standard", kSince2000),
    I("$CMLJUST", 70, 0, kSince2000),
    R("$CMLSCALE", 40, 20, kSince2000),
    I("$PROXYGRAPHICS", 70, 1, kSince2000),
    I("$MEASUREMENT", 70, 1, kSince2000),
    I("$CELWEIGHT", 370, -1, kSince2000),
    I("$ENDCAPS", 280, 0, kSince2000),
    I("$JOINSTYLE", 280, 0, kSince2000),
    I("$LWDISPLAY", 290, 0, kSince2000),
    I("$INSUNITS", 70, 4, kSince2000),
    S("$HYPERLINKBASE", 1, "", kSince2000),
    S("$STYLESHEET", 1, "", kSince2000),
    I("$XEDIT", 290, 1, kSince2000),
    I("$CEPSNTYPE", 380, 0, kSince2000),
    I("$PSTYLEMODE", 290, 1, kSince2000),
    S("$FINGERPRINTGUID", 2, "{6019E739-C788-4E54-93F8-ECD6D3CB3CA4}", kSince2000),
    S("$VERSIONGUID", 2, "{B40E65E2-8CF7-4087-AAED-9AA55CE0143C}", kSince2000),
    I("$EXTNAMES", 290, 1, kSince2000),
    R("$PSVPSCALE", 40, 0, kSince2000),
    I("$OLESTARTUP", 290, 0, kSince2000),
    I("$SORTENTS", 280, 127, k2007),
    I("$INDEXCTL", 280, 0, k2007),
    I("$HIDETEXT", 280, 1, k2007),
    I("$XCLIPFRAME", 290, 0, k2007),
    I("$HALOGAP", 280, 0, k2007),
    I("$OBSCOLOR", 70, 257, k2007),
    I("$OBSLTYPE", 280, 0, k2007),
    I("$INTERSECTIONDISPLAY", 280, 0, k2007),
    I("$INTERSECTIONCOLOR", 70, 257, k2007),
    I("$DIMASSOC", 280, 2, k2007),
    S("$PROJECTNAME", 1, "", k2007),
    I("$CAMERADISPLAY", 290, 0, k2007),
    R("$LENSLENGTH", 40, 50, k2007),
    R("$CAMERAHEIGHT", 40, 0, k2007),
    R("$STEPSPERSEC", 40, 2, k2007),
    R("$STEPSIZE", 40, 6, k2007),
    R("$3DDWFPREC", 40, 2, k2007),
    R("$PSOLWIDTH", 40, 5, k2007),
    R("$PSOLHEIGHT", 40, 80, k2007),
    S("$LOFTANG1", 40, "1.570796326794896", k2007),
    S("$LOFTANG2", 40, "1.570796326794896", k2007),
    R("$LOFTMAG1", 40, 0, k2007),
    R("$LOFTMAG2", 40, 0, k2007),
    I("$LOFTPARAM", 70, 7, k2007),
    I("$LOFTNORMALS", 280, 1, k2007),
    R("$LATITUDE", 40, 37.795, k2007),
    R("$LONGITUDE", 40, -122.394, k2007),
    R("$NORTHDIRECTION", 40, 0, k2007),
    I("$TIMEZONE", 70, -8000, k2007),
    I("$LIGHTGLYPHDISPLAY", 280, 1, k2007),
    I("$TILEMODELIGHTSYNCH", 280, 1, k2007),
    S("$CMATERIAL", 347, "EC", k2007),
    I("$SOLIDHIST", 280, 1, k2007),
    I("$SHOWHIST", 280, 1, k2007),
    I("$DWFFRAME", 280, 2, k2007),
    I("$DGNFRAME", 280, 0, k2007),
    I("$REALWORLDSCALE", 290, 1, k2007),
    I("$INTERFERECOLOR", 62, 1, k2007),
    S("$INTERFEREOBJVS", 345, "F9", k2007),
    S("$INTERFEREVPVS", 346, "F6", k2007),
    I("$CSHADOW", 280, 0, k2007),
    R("$SHADOWPLANELOCATION", 40, 0, k2007),
};

}  // namespace

void DxfWriter::Header(const JwString& src) {
    const uint8_t release = r12_ ? kR12 : (v2007_ ? k2007 : k2000);
    const double e = E();
    double created = 0, updated = 0;
    DxfSourceDates(src, created, updated);

    Section("HEADER");
    for (const HeaderVar& v : kHeader) {
        if ((v.releases & release) == 0) continue;
        Str(9, v.name);
        switch (v.from) {
            case From::Int: Int(v.code, static_cast<int64_t>(v.x)); break;
            case From::Real: Real(v.code, v.x); break;
            case From::Str: Str(v.code, v.s); break;
            case From::Name: Str(v.code, r12_ ? AsciiUpper(v.s) : std::string(v.s)); break;
            case From::XY: XY(v.code, v.x, v.y); break;
            case From::XYZ: XYZ(v.code, v.x, v.y, v.z); break;
            case From::Scale: Real(v.code, e); break;
            case From::ExtMin: XYZ(v.code, m_.MinWx * e, m_.MinWy * e, 0); break;
            case From::ExtMax: XYZ(v.code, m_.MaxWx * e, m_.MaxWy * e, 0); break;
            case From::LimMax: XY(v.code, m_.papx * e, m_.papy * e); break;
            case From::Paper: XY(v.code, m_.papx, m_.papy); break;
            case From::Created: Real(v.code, DxfJulianDate(created)); break;
            case From::CreatedUniversal: Real(v.code, DxfUniversalJulianDate(created)); break;
            case From::Updated: Real(v.code, DxfJulianDate(updated)); break;
            case From::UpdatedUniversal: Real(v.code, DxfUniversalJulianDate(updated)); break;
            case From::EditTime: Real(v.code, updated - created); break;
            case From::HandSeed: Hex(v.code, seed_); break;
        }
    }
    EndSection();
}

}  // namespace jw::dxfwriter
