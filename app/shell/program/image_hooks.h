// Everything the image documents, views and loaders take from the
// application, installed together once the tile managers exist and removed
// together before they go: the document and view hosts, the drawing tile
// manager of the loaders, the engine's debug switches, and the progress
// window for loads and the engine.
#pragma once

#include <memory>

class CAppEngineDebugSettings;
class CAppImageDocHost;
class CAppImageViewHost;
class CAppLoadProgress;
class COrlaApp;
class CProgressWindowSink;

class CImageHooks {
public:
    explicit CImageHooks(COrlaApp& app);
    ~CImageHooks();
    CImageHooks(const CImageHooks&) = delete;
    CImageHooks& operator=(const CImageHooks&) = delete;

private:
    std::unique_ptr<CAppImageDocHost> docHost_;
    std::unique_ptr<CAppImageViewHost> viewHost_;
    std::unique_ptr<CAppEngineDebugSettings> debugSettings_;
    std::unique_ptr<CAppLoadProgress> loadProgress_;
    std::unique_ptr<CProgressWindowSink> engineProgress_;
};
