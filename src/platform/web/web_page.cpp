// The page's side of the glue: console lines, dialogs, film panels, the quit note and
// downloads go to the page's script (Module.page); saving reads the canvases back.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "model/png_image.h"
#include "model/safe_file.h"
#include "platform/web/web_app.h"
#include "render/log_table.h"

namespace {

EM_JS(void, jsConsole, (const char* line), { Module.page.console(UTF8ToString(line)); });

EM_JS(void, jsMessage, (const char* title, const char* text),
      { Module.page.message(UTF8ToString(title), UTF8ToString(text)); });

EM_JS(void, jsFilm, (int film, int shown, const char* title),
      { Module.page.film(film, shown !== 0, UTF8ToString(title)); });

EM_JS(void, jsQuit, (), { Module.page.quit(); });

EM_JS(void, jsTitle, (int canvas, const char* title), { Module.page.title(canvas, UTF8ToString(title)); });

EM_JS(void, jsTexts, (int canvas, const char* json), { Module.page.texts(canvas, JSON.parse(UTF8ToString(json))); });

EM_JS(void, jsReady, (), { Module.page.ready(); });

// The bytes are copied out of the heap before the page keeps them.
EM_JS(void, jsDownload, (const char* name, const char* mimeType, const unsigned char* bytes, int size), {
    Module.page.download(UTF8ToString(name), UTF8ToString(mimeType), HEAPU8.slice(bytes, bytes + size));
});

int colourByte(float c) { return static_cast<int>(c * 255.0f + 0.5f); }

// The canvas's picture as the canvas shows it without the pointer's label (and without the
// page's text), drawn again and read back; the canvas then shows its picture again.
std::vector<unsigned char> canvasPng(WebView which) {
    CanvasView& v = view(which);
    emscripten_webgl_make_context_current(v.context);
    Frame frame = v.lastFrame;
    frame.keepPicture = false;
    v.renderer.draw(decorated(which, std::move(frame), false));
    RgbaImage image;
    image.width = v.width;
    image.height = v.height;
    image.pixels = v.renderer.readPixels(v.width, v.height);
    if (v.pending == Pending::none) v.pending = Pending::repeat;
    return encodePng(image);
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20) continue;
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void pageConsole(const std::string& line) { jsConsole(line.c_str()); }

void pageMessage(const std::string& title, const std::string& text) { jsMessage(title.c_str(), text.c_str()); }

void pageFilm(WebView film, bool shown, const std::string& title) {
    jsFilm(static_cast<int>(film), shown ? 1 : 0, title.c_str());
}

void pageQuit() { jsQuit(); }

void pageTitle(WebView v, const std::string& title) { jsTitle(static_cast<int>(v), title.c_str()); }

void pageTexts(WebView v, const Frame& frame) {
    static const char* const kAlign[] = {"left", "center", "right"};
    std::string json = "[";
    for (const TextItem& t : frame.texts) {
        if (json.size() > 1) json += ",";
        char place[160];
        std::snprintf(place, sizeof place, "\"x\":%.6f,\"y\":%.6f,\"colour\":\"rgba(%d,%d,%d,%.3f)\",\"align\":\"%s\"",
                      t.x, t.y, colourByte(t.colour.r), colourByte(t.colour.g), colourByte(t.colour.b), t.colour.a,
                      kAlign[static_cast<int>(t.align)]);
        json += "{\"text\":" + jsonString(t.text) + "," + place + "}";
    }
    jsTexts(static_cast<int>(v), (json + "]").c_str());
}

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
    std::vector<std::string> names;
    for (const auto& p : pictures) {
        CanvasView& v = view(p.which);
        if ((p.which != WebView::main && !v.shown) || !v.hasFrame) continue;
        names.push_back(numberedName("", "weissenberg-", number, p.suffix));
        pageDownload(names.back(), "image/png", canvasPng(p.which));
    }
    const std::string csv = reflectionLogCsv(web.session);
    names.push_back(numberedName("", "weissenberg-", number, "-protokoll.csv"));
    pageDownload(names.back(), "text/csv", std::vector<unsigned char>(csv.begin(), csv.end()));
    for (const std::string& name : names) pageConsole("Gespeichert: " + name + " (Download)");
}
