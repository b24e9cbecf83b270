#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Which Qt Quick backend draws the pages. Qt WebEngine shows every page through Qt
// Quick; where OpenGL is only a rasterizer on the processor (no GPU, a virtual
// machine, a virtual X server) Qt Quick's own software backend draws the same pages
// sooner and in less memory, and the engine then composites in software too. With a
// real GPU OpenGL stays.
namespace GraphicsBackend {

enum class EMode { Auto, Software, Gpu };

// "auto", "software" or "gpu" in any letter case; nothing for any other text.
std::optional<EMode> ParseMode(QStringView value);

// What was found out about OpenGL.
struct CGlInfo
{
    bool bContext = false; // a context could be made current
    QString strRenderer; // its GL_RENDERER
};

// True for the rasterizers that run on the processor: Mesa's llvmpipe, softpipe and
// swrast, and SwiftShader.
bool IsSoftwareRenderer(QStringView renderer);

// The rule. A backend the environment names (QT_QUICK_BACKEND) wins over everything;
// then Software and Gpu are obeyed as asked; Auto chooses software when no OpenGL
// context can be made or its renderer is a software one. probe is called only when
// the answer depends on it.
bool ChoosesSoftware(EMode mode, bool bEnvironmentNamesBackend,
                     const std::function<CGlInfo()> &probe);

// True when QT_QUICK_BACKEND (or its older name QMLSCENE_DEVICE) is set.
bool EnvironmentNamesBackend();

// Asks OpenGL through the context Qt WebEngine has Qt make when the application
// starts, so no second driver start-up is paid. Needs the QGuiApplication.
CGlInfo ProbeOpenGL();

// Chooses for this process. Qt Quick and the engine read the choice when the first
// web view is made, so this goes after QApplication (whose start-up makes the GL
// context the probe asks) and before any web view.
void Apply(EMode mode);

} // namespace GraphicsBackend
