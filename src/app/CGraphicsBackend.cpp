#include "CGraphicsBackend.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

// Off unless asked for (QT_LOGGING_RULES="quillbrow.graphics.debug=true"): the choice,
// what it rested on and what finding out cost.
Q_LOGGING_CATEGORY(lcGraphics, "quillbrow.graphics", QtWarningMsg)

namespace GraphicsBackend {

std::optional<EMode> ParseMode(QStringView value)
{
    if (value.compare(u"auto", Qt::CaseInsensitive) == 0)
        return EMode::Auto;
    if (value.compare(u"software", Qt::CaseInsensitive) == 0)
        return EMode::Software;
    if (value.compare(u"gpu", Qt::CaseInsensitive) == 0)
        return EMode::Gpu;
    return std::nullopt;
}

bool IsSoftwareRenderer(QStringView renderer)
{
    // Mesa names its rasterizers in the renderer string ("llvmpipe (LLVM 15.0.6, 256
    // bits)", "softpipe", "Software Rasterizer" for swrast); ANGLE's says SwiftShader.
    static constexpr QStringView kNames[]
        = {u"llvmpipe", u"softpipe", u"swrast", u"software rasterizer", u"swiftshader"};
    for (QStringView name : kNames) {
        if (renderer.contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool ChoosesSoftware(EMode mode, bool bEnvironmentNamesBackend,
                     const std::function<CGlInfo()> &probe)
{
    if (bEnvironmentNamesBackend)
        return false;
    switch (mode) {
    case EMode::Software:
        return true;
    case EMode::Gpu:
        return false;
    case EMode::Auto:
        break;
    }
    const CGlInfo gl = probe();
    return !gl.bContext || IsSoftwareRenderer(gl.strRenderer);
}

bool EnvironmentNamesBackend()
{
    return !qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")
        || !qEnvironmentVariableIsEmpty("QMLSCENE_DEVICE");
}

CGlInfo ProbeOpenGL()
{
    CGlInfo info;
    QOpenGLContext *context = QOpenGLContext::globalShareContext();
    if (!context || !context->isValid())
        return info;
    QOffscreenSurface surface;
    surface.setFormat(context->format());
    surface.create();
    if (!surface.isValid() || !context->makeCurrent(&surface))
        return info;
    info.bContext = true;
    if (const GLubyte *renderer = context->functions()->glGetString(GL_RENDERER))
        info.strRenderer = QString::fromLatin1(reinterpret_cast<const char *>(renderer));
    context->doneCurrent();
    return info;
}

void Apply(EMode mode)
{
    QElapsedTimer timer;
    timer.start();
    const bool bEnvironment = EnvironmentNamesBackend();
    std::optional<CGlInfo> gl;
    const bool bSoftware = ChoosesSoftware(mode, bEnvironment, [&gl] {
        gl = ProbeOpenGL();
        return *gl;
    });
    if (bSoftware)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);

    if (!lcGraphics().isDebugEnabled())
        return;
    const char *backend = bSoftware ? "software" : "default";
    if (bEnvironment) {
        qCDebug(lcGraphics, "backend left to the environment (QT_QUICK_BACKEND=%s)",
                qPrintable(qEnvironmentVariable("QT_QUICK_BACKEND")));
    } else if (!gl) {
        qCDebug(lcGraphics, "%s backend, as asked on the command line", backend);
    } else {
        qCDebug(lcGraphics, "%s backend for OpenGL renderer \"%s\"%s, chosen in %lld us", backend,
                qPrintable(gl->strRenderer), gl->bContext ? "" : " (no context)",
                timer.nsecsElapsed() / 1000);
    }
}

} // namespace GraphicsBackend
