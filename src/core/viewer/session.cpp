#include "viewer/session.h"

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "support/jw_settings.h"
#include "support/paths.h"
#include "support/program_values.h"

namespace jw {

namespace {

bool FolderWritable(const JwString& folder) {
    return ::access(NativePath(folder).c_str(), W_OK | X_OK) == 0;
}

}  // namespace

TJwSession::~TJwSession() {
    if (started_) Close();
}

void TJwSession::Start(const JwString& appFolder) {
    JwAppPath = AddPathDelim(appFolder.empty() ? ProgramFolder() : appFolder);
    JwTempPath = JwAppPath + u"TEMP" + PathDelimChar();
    if (!FolderCreate(JwTempPath) || !FolderWritable(JwTempPath)) {
        std::string error;
        const std::filesystem::path priv = MakePrivateTempFolder(error);
        if (!priv.empty()) JwTempPath = AddPathDelim(FromNativePath(priv));
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

bool TJwSession::FileInput(JwFileKind kind, const JwString& FName) {
    JwFine();
    JwInit();
    LastRead = ReadJwFile(kind, FName, *this);
    return LastRead.ok;
}

bool TJwSession::JwwFileInput(const JwString& FName) { return FileInput(JwFileKind::Jww, FName); }

bool TJwSession::JwsFileInput(const JwString& FName) { return FileInput(JwFileKind::Jws, FName); }

}  // namespace jw
