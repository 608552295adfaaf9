// The page's side of the glue: console lines, dialogs, film panels, the quit note and
// downloads go to the page's script (Module.page); saving reads the canvases back.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "model/png_image.h"
#include "model/safe_file.h"
#include "platform/web/web_app.h"

namespace {

EM_JS(void, jsConsole, (const char* line), { Module.page.console(UTF8ToString(line)); });

EM_JS(void, jsMessage, (const char* title, const char* text),
      { Module.page.message(UTF8ToString(title), UTF8ToString(text)); });

EM_JS(void, jsFilm, (int film, int shown, const char* title),
      { Module.page.film(film, shown !== 0, UTF8ToString(title)); });

EM_JS(void, jsQuit, (), { Module.page.quit(); });

EM_JS(void, jsReady, (), { Module.page.ready(); });

// The bytes are copied out of the heap before the page keeps them.
EM_JS(void, jsDownload, (const char* name, const char* mimeType, const unsigned char* bytes, int size), {
    Module.page.download(UTF8ToString(name), UTF8ToString(mimeType), HEAPU8.slice(bytes, bytes + size));
});

std::vector<unsigned char> canvasPng(CanvasView& v) {
    emscripten_webgl_make_context_current(v.context);
    RgbaImage image;
    image.width = v.width;
    image.height = v.height;
    image.pixels = v.renderer.readPixels(v.width, v.height);
    return encodePng(image);
}

}  // namespace

void pageConsole(const std::string& line) { jsConsole(line.c_str()); }

void pageMessage(const std::string& title, const std::string& text) { jsMessage(title.c_str(), text.c_str()); }

void pageFilm(WebView film, bool shown, const std::string& title) {
    jsFilm(static_cast<int>(film), shown ? 1 : 0, title.c_str());
}

void pageQuit() { jsQuit(); }

void pageReady() { jsReady(); }

void pageDownload(const std::string& name, const std::string& mimeType, const std::vector<unsigned char>& bytes) {
    jsDownload(name.c_str(), mimeType.c_str(), bytes.data(), static_cast<int>(bytes.size()));
}

void saveDownloads() {
    const int number = ++web.saveNumber;
    const struct {
        WebView which;
        const char* suffix;
    } pictures[] = {{WebView::main, "-haupt.png"},
                    {WebView::rotation, "-drehkristall.png"},
                    {WebView::weissenberg, "-weissenberg.png"}};
    for (const auto& p : pictures) {
        CanvasView& v = view(p.which);
        if (p.which != WebView::main && !v.shown) continue;
        pageDownload(numberedName("", "weissenberg-", number, p.suffix), "image/png", canvasPng(v));
    }
    const std::string csv = reflectionLogCsv(web.session);
    pageDownload(numberedName("", "weissenberg-", number, "-log.csv"), "text/csv",
                 std::vector<unsigned char>(csv.begin(), csv.end()));
    pageConsole("Gespeichert: weissenberg-" + numberedName("", "", number, "") + "-* (Download)");
}

std::string reflectionLogCsv(const Session& s) {
    const ReflectionLog& log = s.log;
    std::string csv = "h,k,l,winkel_rad,ordinate\n";
    char line[128];
    for (int i = 0; i < log.count(); ++i) {
        std::snprintf(line, sizeof line, "%d,%d,%d,%.9g,%.9g\n", log.logH[i], log.logK[i], log.logL[i],
                      log.logAngle[i], log.filmOrdinate[i]);
        csv += line;
    }
    return csv;
}
