// The window's models and start-up values without the window: what happens
// when the window is shown (program and working folders, JwInit), when a file
// is opened (JwFine + JwInit, then the reader), and when the window closes.
// The Qt window drives one TJwSession (the command-line tool reads its models
// directly, without one).
#pragma once

#include <memory>
#include <string>

#include "attributes/gra_attribute.h"
#include "legacy/jwc_data.h"
#include "legacy/jwk_data.h"
#include "model/jw_data.h"

namespace jw {

class TJwSession {
public:
    TJwSession() = default;
    ~TJwSession();
    TJwSession(const TJwSession&) = delete;
    TJwSession& operator=(const TJwSession&) = delete;

    // The Jw_cad folder, second place searched for Jw_win.jwf.
    JwString JwwPath;

    std::unique_ptr<TJwwData> JWW1;
    std::unique_ptr<TJwcData> JWC;
    std::unique_ptr<TJwkData> JWK;
    std::unique_ptr<TJwsData> JWS;
    std::unique_ptr<TgraAttribute> GraAttr;  // JwGraAttr points at it

    // What the window does when it is shown: JwAppPath := appFolder (the
    // program's folder by default), JwTempPath := JwAppPath + "TEMP/" created
    // with its parents; when that folder cannot be created or written (a
    // read-only install folder) a private folder under the user's temporary
    // directory is used instead, so that bound images are never lost. Then
    // JwwPath and JwInit.
    void Start(const JwString& appFolder = JwString());
    // What the window does when it closes: JwFine, then the working folder is
    // removed when it is empty.
    void Close();

    void JwInit();
    void JwFine();

    // The input routines without the views: fresh models, then the reader.
    // Answer the reader's result; its message is in the model's LastError.
    bool JwwFileInput(const JwString& FName);
    bool JwsFileInput(const JwString& FName);

    // True when the working folder is the private fallback folder.
    bool UsesPrivateTemp() const { return privateTemp_; }

private:
    // Releases a JWW model's data together with its extracted image files.
    static void JwwDataFree(TJwwData& jw);

    bool started_ = false;
    bool privateTemp_ = false;
};

}  // namespace jw
