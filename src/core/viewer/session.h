// The window's models and start-up values without the window: what happens
// when the window is shown (program and working folders, JwInit), when a file
// is opened (JwFine + JwInit, then the reader), and when the window closes.
// The Qt window drives one TJwSession (the command-line tool reads its models
// directly, without one).
#pragma once

#include <memory>
#include <string>

#include "attributes/gra_attribute.h"
#include "files/open_file.h"

namespace jw {

// The models JWW1, JWC, JWK and JWS are the session's TJwFileModels.
class TJwSession : public TJwFileModels {
public:
    TJwSession() = default;
    ~TJwSession();
    TJwSession(const TJwSession&) = delete;
    TJwSession& operator=(const TJwSession&) = delete;

    // The Jw_cad folder, second place searched for Jw_win.jwf.
    JwString JwwPath;

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

    // The input routines without the views: fresh models, then the reader
    // (ReadJwFile) of a drawing (JwwFileInput) or figure (JwsFileInput).
    // Answer the reader's result; LastRead holds what it said.
    bool JwwFileInput(const JwString& FName);
    bool JwsFileInput(const JwString& FName);
    bool FileInput(JwFileKind kind, const JwString& FName);
    TJwFileRead LastRead;

private:
    // Releases a JWW model's data together with its extracted image files.
    static void JwwDataFree(TJwwData& jw);

    bool started_ = false;
};

}  // namespace jw
