#include "viewer/session.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "support/jw_settings.h"
#include "support/paths.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

bool FolderWritable(const JwString& folder) {
    return ::access(NativePath(folder).c_str(), W_OK | X_OK) == 0;
}

// A private working folder under the user's temporary directory.
JwString MakePrivateTempFolder() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string tmpl = (base / "zumenscope-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) return JwString();
    return AddPathDelim(FromUtf8(tmpl));
}

}  // namespace

TJwSession::~TJwSession() {
    if (started_) Close();
}

void TJwSession::Start(const JwString& appFolder) {
    JwAppPath = AddPathDelim(appFolder.empty() ? ProgramFolder() : appFolder);
    JwTempPath = JwAppPath + u"TEMP" + PathDelimChar();
    privateTemp_ = false;
    if (!FolderCreate(JwTempPath) || !FolderWritable(JwTempPath)) {
        JwString priv = MakePrivateTempFolder();
        if (!priv.empty()) {
            JwTempPath = priv;
            privateTemp_ = true;
        }
    }
    JwwPath = DefaultJwwPath();
    JwInit();
    started_ = true;
}

void TJwSession::Close() {
    JwFine();
    FolderRemove(JwTempPath);
    started_ = false;
}

void TJwSession::JwInit() {
    JwDefMojiTypeInit();
    JwGlobalInit();
    JWW1 = std::make_unique<TJwwData>();
    JWC = std::make_unique<TJwcData>();
    JWK = std::make_unique<TJwkData>();
    JWS = std::make_unique<TJwsData>();
    GraAttr = std::make_unique<TgraAttribute>();
    JwGraAttrSetup(*GraAttr);
    JwGraAttr = GraAttr.get();
    JwFileName.clear();
    JwDrawTime.clear();
    JwMemo.clear();
    JwMemo1.clear();
    JwMemo2.clear();
    JwLayerScale = 1.0;
    JwPrtScale = 1.0;
    JwStartTime = std::time(nullptr);
    JwRefFileName.clear();
    GetRefFileName(JwwPath);
    RefFileOpen();
    JWW1->BindImageExp = true;
    JWW1->BindImageExr = true;
    JWW1->BindImageFolder = JwTempPath;
    JWS->BindImageExp = false;
    JWS->BindImageExr = false;
    JWS->BindImageFolder = JwTempPath;
}

void TJwSession::JwFine() {
    JwRefList.clear();
    JwGraAttr = nullptr;
    GraAttr.reset();
    if (JWW1) JwwDataFree(*JWW1);
    JWW1.reset();
    JWC.reset();
    JWK.reset();
    JWS.reset();
}

void TJwSession::JwwDataFree(TJwwData& jw) {
    jw.BindImageDeleteGzFile();
    jw.BindImageDeleteNonGzFile();
    jw.DataFree();
    jw.BindImageInit();
}

bool TJwSession::JwwFileInput(const JwString& FName) {
    JwFine();
    JwInit();
    return JWW1->FileIn(FName);
}

bool TJwSession::JwsFileInput(const JwString& FName) {
    JwFine();
    JwInit();
    return JWS->FileIn(FName);
}

}  // namespace jw
