// dialog_ui.cpp -- draws the start-up dialog in the classic grey look and drives it
//
// Everything is drawn by hand into the caller's 32-bit picture: the dialog frame, the caption
// bar with its close box, raised push buttons, the sunken check box, word-wrapped static text
// and the title picture. Every write goes through a clipped canvas, so a dialog placed partly
// (or wholly) off the picture never writes outside it.
#include "dialog_ui.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "backend.h"
#include "fonts.h"

namespace {

// The classic palette of the grey three-dimensional look (0x00RRGGBB).
constexpr std::uint32_t kFace = 0xC0C0C0;
constexpr std::uint32_t kLight = 0xDFDFDF;
constexpr std::uint32_t kHighlight = 0xFFFFFF;
constexpr std::uint32_t kShadow = 0x808080;
constexpr std::uint32_t kDarkShadow = 0x000000;
constexpr std::uint32_t kCaption = 0x000080;
constexpr std::uint32_t kCaptionText = 0xFFFFFF;
constexpr std::uint32_t kText = 0x000000;
constexpr std::uint32_t kWindow = 0xFFFFFF;

// Metrics at scale 1, in pixels. The modal frame is a two-pixel raised edge plus one pixel of
// face colour; the caption bar is 18 pixels with a one-pixel face line under it.
constexpr int kFrame = 3;
constexpr int kCaptionHeight = 18;
constexpr int kCaptionGap = 1;
constexpr int kCloseWidth = 16;
constexpr int kCloseHeight = 14;
constexpr int kCloseInset = 2;
constexpr int kCheckSize = 13;
constexpr int kCheckTextGap = 5;
constexpr int kFontPixels = 11; // 8 points at 96 dots per inch
// A message box: its text wrapped to at most this width (a box fits a 640-pixel screen), the
// margins around the text and the button, and the OK button's size.
constexpr int kBoxTextWidth = 400;
constexpr int kBoxMargin = 12;
constexpr int kBoxButtonWidth = 75;
constexpr int kBoxButtonHeight = 23;

// Templates beyond these are nonsense; refusing them keeps every pixel sum inside an int.
constexpr int kMaxScale = 8;
constexpr int kMaxUnits = 4000;

// Pressed-target values besides control indices.
constexpr int kNothing = -1;
constexpr int kCloseBox = -2;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

Rect Inset(Rect r, int d) { return {r.x + d, r.y + d, r.w - 2 * d, r.h - 2 * d}; }

Rect Offset(Rect r, int dx, int dy) { return {r.x + dx, r.y + dy, r.w, r.h}; }

bool Contains(const Rect& r, int x, int y) {
    return x >= r.x && y >= r.y && x - r.x < r.w && y - r.y < r.h;
}

// Dialog units to pixels: rounded, halves away from zero, before the scale is applied so a
// doubled dialog is exactly the single-size one blown up.
int UnitsAcross(int units) { return int(std::lround(units * 1.5)); }
int UnitsDown(int units) { return int(std::lround(units * 1.625)); }

// The caller's picture with the rectangle that may be written (right and bottom exclusive).
// Canvases only ever shrink their clip rectangle, never grow it past the picture.
// Coordinates are the dialog's; (originX, originY) is where the dialog's corner lies in the
// picture, which may be outside it, so addresses are only formed for clipped points.
struct Canvas {
    std::uint32_t* pixels = nullptr;
    int pitch = 0;
    int originX = 0, originY = 0;
    int left = 0, top = 0, right = 0, bottom = 0;

    // The address of a dialog point inside the clip rectangle (or one past a row's end).
    std::uint32_t* At(int x, int y) const {
        return pixels + ((std::ptrdiff_t)y + originY) * pitch + ((std::ptrdiff_t)x + originX);
    }

    Canvas ClippedTo(const Rect& r) const {
        Canvas c = *this;
        long long r0 = std::max<long long>(left, r.x);
        long long b0 = std::max<long long>(top, r.y);
        long long r1 = std::min<long long>(right, (long long)r.x + r.w);
        long long b1 = std::min<long long>(bottom, (long long)r.y + r.h);
        c.left = int(r0);
        c.top = int(b0);
        c.right = int(std::max(r0, r1));
        c.bottom = int(std::max(b0, b1));
        return c;
    }
    bool Empty() const { return left >= right || top >= bottom; }
};

void Fill(const Canvas& c, int x, int y, int w, int h, std::uint32_t color) {
    Canvas d = c.ClippedTo({x, y, w, h});
    for (int row = d.top; row < d.bottom; ++row)
        std::fill(c.At(d.left, row), c.At(d.right, row), color);
}

void Fill(const Canvas& c, const Rect& r, std::uint32_t color) {
    Fill(c, r.x, r.y, r.w, r.h, color);
}

// A frame of thickness t: the top and left edges in one colour, the bottom and right edges
// (corners included) in the other, as the classic edges are drawn.
void Bevel(const Canvas& c, const Rect& r, std::uint32_t topLeft, std::uint32_t bottomRight,
           int t) {
    Fill(c, r.x, r.y, r.w - t, t, topLeft);
    Fill(c, r.x, r.y, t, r.h - t, topLeft);
    Fill(c, r.x, r.y + r.h - t, r.w, t, bottomRight);
    Fill(c, r.x + r.w - t, r.y, t, r.h, bottomRight);
}

void FrameRect(const Canvas& c, const Rect& r, std::uint32_t color, int t) {
    Bevel(c, r, color, color, t);
}

// The dotted focus rectangle: every other (scaled) pixel along the edges is black.
void FocusRect(const Canvas& c, const Rect& r, int s) {
    if (r.w < s || r.h < s) return;
    for (int i = 0; i * s < r.w; i += 2) {
        Fill(c, r.x + i * s, r.y, s, s, kText);
        Fill(c, r.x + i * s, r.y + r.h - s, s, s, kText);
    }
    for (int j = 0; j * s < r.h; j += 2) {
        Fill(c, r.x, r.y + j * s, s, s, kText);
        Fill(c, r.x + r.w - s, r.y + j * s, s, s, kText);
    }
}

// A small one-bit glyph ('#' set), each pixel drawn as an s by s block.
void Glyph(const Canvas& c, int x, int y, const char* const* rows, int count, int s,
           std::uint32_t color) {
    for (int j = 0; j < count; ++j)
        for (int i = 0; rows[j][i] != '\0'; ++i)
            if (rows[j][i] == '#') Fill(c, x + i * s, y + j * s, s, s, color);
}

const char* const kCloseGlyph[] = {
    "##....##", ".##..##.", "..####..", "...##...", "..####..", ".##..##.", "##....##",
};
constexpr int kCloseGlyphWidth = 8, kCloseGlyphHeight = 7;

// The classic check mark: seven columns, each a run of three pixels.
const char* const kCheckGlyph[] = {
    "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
};
constexpr int kCheckGlyphHeight = 7;

struct Control {
    int id = -1;
    DialogControlKind kind = DlgStaticText;
    Rect rect; // client-area pixels, scaled
    std::string text;
    bool tabStop = false;
    bool checked = false;
    SDL_Surface* picture = nullptr; // 32-bit copy of the title picture
    int wrap = 0; // static text: the width its lines are wrapped to, when not the control's own
};

bool IsPushButton(const Control& c) {
    return c.kind == DlgDefPushButton || c.kind == DlgPushButton;
}
bool IsClickable(const Control& c) { return IsPushButton(c) || c.kind == DlgAutoCheckBox; }

// Renders one Latin-1 line without smoothing and copies its set pixels in the given colour.
void DrawText(const Canvas& c, TTF_Font* font, const std::string& text, int x, int y,
              std::uint32_t color) {
    if (!font || text.empty() || c.Empty()) return;
    SDL_Color white = {255, 255, 255, 255};
    SDL_Surface* line = TTF_RenderText_Solid(font, text.c_str(), white);
    if (!line) return;
    if (SDL_LockSurface(line) == 0) {
        // Solid rendering gives an 8-bit surface whose index 0 is the background.
        Canvas d = c.ClippedTo({x, y, line->w, line->h});
        const auto* src = static_cast<const std::uint8_t*>(line->pixels);
        for (int row = d.top; row < d.bottom; ++row) {
            const std::uint8_t* in = src + (std::ptrdiff_t)(row - y) * line->pitch;
            std::uint32_t* out = c.At(d.left, row);
            for (int col = d.left; col < d.right; ++col, ++out)
                if (in[col - x] != 0) *out = color;
        }
        SDL_UnlockSurface(line);
    }
    SDL_FreeSurface(line);
}

int TextWidth(TTF_Font* font, const std::string& text) {
    int w = 0, h = 0;
    if (!font || text.empty() || TTF_SizeText(font, text.c_str(), &w, &h) != 0) return 0;
    return w;
}

// Greedy word wrap: as many words on a line as fit; a word too long for any line stands alone
// (and is clipped). Line feeds start new lines.
std::vector<std::string> WrapText(TTF_Font* font, const std::string& text, int width) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string paragraph = text.substr(start, end - start);
        std::string current;
        std::size_t pos = 0;
        while (pos < paragraph.size()) {
            std::size_t next = paragraph.find(' ', pos);
            if (next == std::string::npos) next = paragraph.size();
            std::string word = paragraph.substr(pos, next - pos);
            pos = next + 1;
            if (word.empty()) continue;
            std::string candidate = current.empty() ? word : current + " " + word;
            if (current.empty() || TextWidth(font, candidate) <= width) {
                current = candidate;
            } else {
                lines.push_back(current);
                current = word;
            }
        }
        lines.push_back(current);
        start = end + 1;
    }
    return lines;
}

} // namespace

struct DialogUi {
    int scale = 1;
    std::string caption;
    int clientWidth = 0, clientHeight = 0; // scaled pixels
    std::vector<Control> controls;
    int focus = kNothing;    // index of the focused control
    int pressed = kNothing;  // what the left button went down on
    bool pressedOver = true; // the pointer is still over it
    TTF_Font* font = nullptr;
    TTF_Font* bold = nullptr;

    int FrameSize() const { return kFrame * scale; }
    int ClientLeft() const { return FrameSize(); }
    int ClientTop() const { return FrameSize() + (kCaptionHeight + kCaptionGap) * scale; }
    int Width() const { return clientWidth + 2 * FrameSize(); }
    int Height() const { return ClientTop() + clientHeight + FrameSize(); }
    Rect CaptionBar() const {
        return {FrameSize(), FrameSize(), Width() - 2 * FrameSize(), kCaptionHeight * scale};
    }
    Rect CloseBox() const {
        Rect bar = CaptionBar();
        return {bar.x + bar.w - (kCloseInset + kCloseWidth) * scale, bar.y + kCloseInset * scale,
                kCloseWidth * scale, kCloseHeight * scale};
    }
    Rect ClientRect() const { return {ClientLeft(), ClientTop(), clientWidth, clientHeight}; }
    // A control's rectangle in dialog pixels; a picture control is as big as its picture.
    Rect ControlRect(const Control& c) const {
        Rect r = Offset(c.rect, ClientLeft(), ClientTop());
        if (c.kind == DlgStaticBitmap) {
            r.w = c.picture ? c.picture->w * scale : 0;
            r.h = c.picture ? c.picture->h * scale : 0;
        }
        return r;
    }
    // The clickable control under a dialog point, or kCloseBox, or kNothing. Static text and
    // pictures let clicks through, and children end at the client area's edge.
    int HitTest(int x, int y) const {
        if (Contains(CloseBox(), x, y)) return kCloseBox;
        if (!Contains(ClientRect(), x, y)) return kNothing;
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (IsClickable(controls[i]) && Contains(ControlRect(controls[i]), x, y)) return int(i);
        return kNothing;
    }
    int DefaultButton() const {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].kind == DlgDefPushButton) return int(i);
        return kNothing;
    }
    // As in the classic dialogs, a focused push button takes over the default outline; while
    // the focus is elsewhere the template's default button has it.
    int OutlinedButton() const {
        if (focus >= 0 && IsPushButton(controls[std::size_t(focus)])) return focus;
        return DefaultButton();
    }
    // Clicking a control: a check box flips first, then its command goes out like a button's.
    DialogAction Click(int index) {
        Control& c = controls[std::size_t(index)];
        if (c.kind == DlgAutoCheckBox) c.checked = !c.checked;
        DialogAction action;
        action.command = true;
        action.controlId = c.id;
        return action;
    }
};

namespace {

void DrawPushButton(const DialogUi& ui, const Canvas& canvas, const Control& c, int index) {
    const int s = ui.scale;
    Rect r = ui.ControlRect(c);
    Canvas clip = canvas.ClippedTo(r);
    const bool outlined = ui.OutlinedButton() == index;
    const bool sunken = ui.pressed == index && ui.pressedOver;
    Fill(clip, r, kFace);
    Rect inner = r;
    if (outlined) {
        FrameRect(clip, inner, kDarkShadow, s);
        inner = Inset(inner, s);
    }
    if (sunken) {
        FrameRect(clip, inner, kShadow, s);
    } else {
        Bevel(clip, inner, kHighlight, kDarkShadow, s);
        Bevel(clip, Inset(inner, s), kLight, kShadow, s);
    }
    Rect face = Inset(inner, 2 * s);
    if (ui.font) {
        int tw = TextWidth(ui.font, c.text);
        int th = TTF_FontHeight(ui.font);
        int tx = face.x + (face.w - tw) / 2 + (sunken ? s : 0);
        int ty = face.y + (face.h - th) / 2 + (sunken ? s : 0);
        DrawText(clip.ClippedTo(face), ui.font, c.text, tx, ty, kText);
    }
    if (ui.focus == index) FocusRect(clip, Inset(r, (outlined ? 4 : 3) * s), s);
}

void DrawCheckBox(const DialogUi& ui, const Canvas& canvas, const Control& c, int index) {
    const int s = ui.scale;
    Rect r = ui.ControlRect(c);
    Canvas clip = canvas.ClippedTo(r);
    Fill(clip, r, kFace);
    const int size = kCheckSize * s;
    Rect box = {r.x, r.y + (r.h - size) / 2, size, size};
    // The classic sunken box: dark grey and white outside, black and light grey inside.
    Bevel(clip, box, kShadow, kHighlight, s);
    Bevel(clip, Inset(box, s), kDarkShadow, kLight, s);
    const bool held = ui.pressed == index && ui.pressedOver;
    Fill(clip, Inset(box, 2 * s), held ? kFace : kWindow);
    if (c.checked)
        Glyph(clip, box.x + 3 * s, box.y + 3 * s, kCheckGlyph, kCheckGlyphHeight, s, kText);
    const int tx = r.x + size + kCheckTextGap * s;
    int tw = 0, th = r.h;
    if (ui.font) {
        tw = TextWidth(ui.font, c.text);
        th = TTF_FontHeight(ui.font);
    } else {
        tw = r.x + r.w - tx - 2 * s; // no font: mark the label's area instead
    }
    const int ty = r.y + (r.h - th) / 2;
    DrawText(clip, ui.font, c.text, tx, ty, kText);
    if (ui.focus == index) FocusRect(clip, {tx - 2 * s, ty - s, tw + 4 * s, th + 2 * s}, s);
}

std::vector<std::string> TextLines(const DialogUi& ui, const Control& c) {
    return WrapText(ui.font, c.text, c.wrap > 0 ? c.wrap : c.rect.w);
}

void DrawStaticText(const DialogUi& ui, const Canvas& canvas, const Control& c) {
    if (!ui.font || c.text.empty()) return;
    Rect r = ui.ControlRect(c);
    Canvas clip = canvas.ClippedTo(r);
    if (clip.Empty()) return;
    const int lineSkip = TTF_FontLineSkip(ui.font);
    int y = r.y;
    for (const std::string& line : TextLines(ui, c)) {
        if (y >= clip.bottom) break;
        DrawText(clip, ui.font, line, r.x, y, kText);
        y += lineSkip;
    }
}

void DrawPicture(const DialogUi& ui, const Canvas& canvas, const Control& c) {
    SDL_Surface* pic = c.picture;
    if (!pic) return;
    const int s = ui.scale;
    Rect r = ui.ControlRect(c);
    Canvas clip = canvas.ClippedTo(r);
    if (clip.Empty() || SDL_LockSurface(pic) != 0) return;
    const auto* base = static_cast<const std::uint8_t*>(pic->pixels);
    for (int row = clip.top; row < clip.bottom; ++row) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(
            base + (std::ptrdiff_t)((row - r.y) / s) * pic->pitch);
        std::uint32_t* out = canvas.At(clip.left, row);
        for (int col = clip.left; col < clip.right; ++col)
            *out++ = in[(col - r.x) / s] & 0x00FFFFFF;
    }
    SDL_UnlockSurface(pic);
}

void DrawFrameAndCaption(const DialogUi& ui, const Canvas& canvas) {
    const int s = ui.scale;
    Rect whole = {0, 0, ui.Width(), ui.Height()};
    Fill(canvas, whole, kFace);
    // The modal frame: a raised edge (light and black outside, white and dark grey inside),
    // then a line of face colour.
    Bevel(canvas, whole, kLight, kDarkShadow, s);
    Bevel(canvas, Inset(whole, s), kHighlight, kShadow, s);

    Rect bar = ui.CaptionBar();
    Fill(canvas, bar, kCaption);
    Rect close = ui.CloseBox();
    if (ui.bold) {
        Canvas textClip = canvas.ClippedTo({bar.x, bar.y, close.x - bar.x - 2 * s, bar.h});
        int ty = bar.y + (bar.h - TTF_FontHeight(ui.bold)) / 2;
        DrawText(textClip, ui.bold, ui.caption, bar.x + 2 * s, ty, kCaptionText);
    }

    const bool sunken = ui.pressed == kCloseBox && ui.pressedOver;
    Fill(canvas, close, kFace);
    if (sunken) {
        Bevel(canvas, close, kDarkShadow, kHighlight, s);
        Bevel(canvas, Inset(close, s), kShadow, kLight, s);
    } else {
        Bevel(canvas, close, kHighlight, kDarkShadow, s);
        Bevel(canvas, Inset(close, s), kLight, kShadow, s);
    }
    int gx = close.x + (close.w - kCloseGlyphWidth * s) / 2 + (sunken ? s : 0);
    int gy = close.y + (close.h - kCloseGlyphHeight * s) / 2 + (sunken ? s : 0);
    Glyph(canvas.ClippedTo(Inset(close, 2 * s)), gx, gy, kCloseGlyph, kCloseGlyphHeight, s, kText);
}

void FocusFirstTabStop(DialogUi* ui) {
    for (std::size_t i = 0; i < ui->controls.size(); ++i) {
        if (ui->controls[i].tabStop) {
            ui->focus = int(i);
            break;
        }
    }
}

// Without the font library or the font the dialog still works, with no text.
void OpenFonts(DialogUi* ui) {
    if (!TTF_WasInit() && TTF_Init() != 0) return;
    std::string regular = FindFontFile(false);
    std::string bold = FindFontFile(true);
    if (!regular.empty()) ui->font = TTF_OpenFont(regular.c_str(), kFontPixels * ui->scale);
    if (!bold.empty()) ui->bold = TTF_OpenFont(bold.c_str(), kFontPixels * ui->scale);
    for (TTF_Font* f : {ui->font, ui->bold})
        if (f) TTF_SetFontHinting(f, TTF_HINTING_MONO);
}

} // namespace

DialogUi* DialogUiCreate(const DialogTemplate* dialogTemplate, int scale) {
    const DialogTemplate* t = dialogTemplate;
    if (!t || scale < 1 || scale > kMaxScale) return nullptr;
    if (t->cx <= 0 || t->cy <= 0 || t->cx > kMaxUnits || t->cy > kMaxUnits) return nullptr;
    if (t->controlCount < 0 || (t->controlCount > 0 && !t->controls)) return nullptr;

    auto* ui = new DialogUi;
    ui->scale = scale;
    ui->caption = t->caption ? t->caption : "";
    ui->clientWidth = UnitsAcross(t->cx) * scale;
    ui->clientHeight = UnitsDown(t->cy) * scale;
    for (int i = 0; i < t->controlCount; ++i) {
        const DialogControl& in = t->controls[i];
        Control c;
        c.id = in.id;
        c.kind = in.kind;
        // Out-of-range positions are pinned so that pixel arithmetic cannot overflow; such a
        // control lies outside the client area and is clipped away anyway.
        auto pin = [](int v) { return std::clamp(v, -kMaxUnits, kMaxUnits); };
        c.rect = {UnitsAcross(pin(in.x)) * scale, UnitsDown(pin(in.y)) * scale,
                  UnitsAcross(std::max(0, pin(in.cx))) * scale,
                  UnitsDown(std::max(0, pin(in.cy))) * scale};
        c.text = in.text ? in.text : "";
        c.tabStop = in.tabStop;
        if (in.kind == DlgStaticBitmap) c.picture = DecodeBmp(in.bitmap, in.bitmapSize);
        ui->controls.push_back(c);
    }
    FocusFirstTabStop(ui);
    OpenFonts(ui);
    return ui;
}

DialogUi* DialogUiCreateMessageBox(const char* caption, const char* text, int scale) {
    if (scale < 1 || scale > kMaxScale) return nullptr;
    const int s = scale;
    auto* ui = new DialogUi;
    ui->scale = s;
    ui->caption = caption ? caption : "";
    OpenFonts(ui);
    Control words;
    words.id = MessageBoxTextId;
    words.text = text ? text : "";
    words.wrap = kBoxTextWidth * s;
    int textW = 0, lines = 0;
    for (const std::string& line : WrapText(ui->font, words.text, words.wrap)) {
        textW = std::max(textW, TextWidth(ui->font, line));
        ++lines;
    }
    const int lineSkip = ui->font ? TTF_FontLineSkip(ui->font) : kFontPixels * s;
    words.rect = {kBoxMargin * s, kBoxMargin * s, textW, lines * lineSkip};
    // As wide as the text, the OK button or the caption needs, whichever is widest.
    int captionW = ui->bold ? TextWidth(ui->bold, ui->caption) : 0;
    ui->clientWidth = std::max({textW + 2 * kBoxMargin * s, (kBoxButtonWidth + 2 * kBoxMargin) * s,
                                captionW + (kCloseWidth + 4 * kCloseInset) * s});
    Control ok;
    ok.id = IDOK;
    ok.kind = DlgDefPushButton;
    ok.text = "OK";
    ok.tabStop = true;
    ok.rect = {(ui->clientWidth - kBoxButtonWidth * s) / 2,
               words.rect.y + words.rect.h + kBoxMargin * s, kBoxButtonWidth * s,
               kBoxButtonHeight * s};
    ui->clientHeight = ok.rect.y + ok.rect.h + kBoxMargin * s;
    // Centred under a narrower text, as the classic boxes put a short line.
    if (textW + 2 * kBoxMargin * s < ui->clientWidth) words.rect.x = (ui->clientWidth - textW) / 2;
    ui->controls = {words, ok};
    FocusFirstTabStop(ui);
    return ui;
}

std::vector<std::string> DialogUiTextLines(const DialogUi* ui, int controlId) {
    if (!ui) return {};
    for (const Control& c : ui->controls)
        if (c.id == controlId && c.kind == DlgStaticText) return TextLines(*ui, c);
    return {};
}

void DialogUiDestroy(DialogUi* ui) {
    if (!ui) return;
    for (Control& c : ui->controls)
        if (c.picture) SDL_FreeSurface(c.picture);
    // The font library itself stays initialised: other parts of the platform draw text too.
    if (ui->font) TTF_CloseFont(ui->font);
    if (ui->bold) TTF_CloseFont(ui->bold);
    delete ui;
}

int DialogUiWidth(const DialogUi* ui) { return ui ? ui->Width() : 0; }

int DialogUiHeight(const DialogUi* ui) { return ui ? ui->Height() : 0; }

void DialogUiDraw(const DialogUi* ui, std::uint32_t* pixels, int width, int height, int pitch,
                  int originX, int originY) {
    if (!ui || !pixels || width <= 0 || height <= 0 || pitch < width) return;
    // Nothing to do when the dialog misses the picture; otherwise the origin is close enough
    // to the picture for all further arithmetic to stay inside an int.
    const long long x0 = originX, y0 = originY;
    if (x0 >= width || y0 >= height || x0 + ui->Width() <= 0 || y0 + ui->Height() <= 0) return;

    // Drawing happens in dialog coordinates; only the clip rectangle decides what is written.
    Canvas canvas;
    canvas.pixels = pixels;
    canvas.pitch = pitch;
    canvas.originX = originX;
    canvas.originY = originY;
    canvas.left = -originX;
    canvas.top = -originY;
    canvas.right = width - originX;
    canvas.bottom = height - originY;
    canvas = canvas.ClippedTo({0, 0, ui->Width(), ui->Height()});

    DrawFrameAndCaption(*ui, canvas);
    Canvas client = canvas.ClippedTo(ui->ClientRect());
    for (std::size_t i = 0; i < ui->controls.size(); ++i) {
        const Control& c = ui->controls[i];
        switch (c.kind) {
        case DlgDefPushButton:
        case DlgPushButton:
            DrawPushButton(*ui, client, c, int(i));
            break;
        case DlgAutoCheckBox:
            DrawCheckBox(*ui, client, c, int(i));
            break;
        case DlgStaticText:
            DrawStaticText(*ui, client, c);
            break;
        case DlgStaticBitmap:
            DrawPicture(*ui, client, c);
            break;
        }
    }
}

DialogAction DialogUiKey(DialogUi* ui, DialogKey key) {
    DialogAction none;
    if (!ui) return none;
    const int count = int(ui->controls.size());
    switch (key) {
    case DialogKeyTab:
    case DialogKeyShiftTab: {
        if (count == 0) return none;
        const int step = key == DialogKeyTab ? 1 : count - 1;
        int start = ui->focus >= 0 ? ui->focus : (key == DialogKeyTab ? count - 1 : 0);
        for (int n = 1; n <= count; ++n) {
            int i = (start + n * step) % count;
            if (ui->controls[std::size_t(i)].tabStop) {
                ui->focus = i;
                break;
            }
        }
        return none;
    }
    case DialogKeySpace:
        if (ui->focus >= 0 && IsClickable(ui->controls[std::size_t(ui->focus)]))
            return ui->Click(ui->focus);
        return none;
    case DialogKeyEnter: {
        int target = ui->OutlinedButton();
        return target >= 0 ? ui->Click(target) : none;
    }
    case DialogKeyEscape: {
        DialogAction cancel;
        cancel.command = true;
        cancel.controlId = IDCANCEL;
        return cancel;
    }
    }
    return none;
}

void DialogUiMouseDown(DialogUi* ui, int x, int y) {
    if (!ui) return;
    ui->pressed = ui->HitTest(x, y);
    ui->pressedOver = true;
    if (ui->pressed >= 0 && ui->controls[std::size_t(ui->pressed)].tabStop) ui->focus = ui->pressed;
}

void DialogUiMouseMove(DialogUi* ui, int x, int y) {
    if (!ui || ui->pressed == kNothing) return;
    ui->pressedOver = ui->HitTest(x, y) == ui->pressed;
}

DialogAction DialogUiMouseUp(DialogUi* ui, int x, int y) {
    DialogAction none;
    if (!ui) return none;
    const int pressed = ui->pressed;
    ui->pressed = kNothing;
    ui->pressedOver = true;
    if (pressed == kNothing || ui->HitTest(x, y) != pressed) return none;
    if (pressed == kCloseBox) {
        DialogAction cancel;
        cancel.command = true;
        cancel.controlId = IDCANCEL;
        return cancel;
    }
    return ui->Click(pressed);
}

bool DialogUiControlCentre(const DialogUi* ui, int controlId, int* x, int* y) {
    if (!ui || controlId == -1) return false;
    for (const Control& c : ui->controls) {
        if (c.id != controlId) continue;
        Rect r = ui->ControlRect(c);
        if (x) *x = r.x + r.w / 2;
        if (y) *y = r.y + r.h / 2;
        return true;
    }
    return false;
}

void DialogUiPressControl(DialogUi* ui, int controlId) {
    int x = 0, y = 0;
    if (!DialogUiControlCentre(ui, controlId, &x, &y)) return;
    DialogUiMouseDown(ui, x, y);
    DialogUiMouseUp(ui, x, y);
}

bool DialogUiChecked(const DialogUi* ui, int controlId) {
    if (!ui) return false;
    for (const Control& c : ui->controls)
        if (c.id == controlId && c.kind == DlgAutoCheckBox) return c.checked;
    return false;
}

DialogAction DialogUiClick(DialogUi* ui, int controlId) {
    if (!ui || controlId == -1) return {};
    for (std::size_t i = 0; i < ui->controls.size(); ++i)
        if (ui->controls[i].id == controlId && IsClickable(ui->controls[i]))
            return ui->Click(int(i));
    return {};
}

namespace {

template <class Wanted> int FirstControl(const DialogTemplate* t, Wanted wanted) {
    if (!t || t->controlCount <= 0 || !t->controls) return -1;
    for (int i = 0; i < t->controlCount; ++i)
        if (wanted(t->controls[i])) return t->controls[i].id;
    return -1;
}

} // namespace

int DialogButtonLabelled(const DialogTemplate* dialogTemplate, const std::string& label) {
    return FirstControl(dialogTemplate, [&](const DialogControl& c) {
        return (c.kind == DlgDefPushButton || c.kind == DlgPushButton) && c.text &&
               !label.empty() && label == c.text;
    });
}

int DialogCheckBox(const DialogTemplate* dialogTemplate) {
    return FirstControl(dialogTemplate,
                        [](const DialogControl& c) { return c.kind == DlgAutoCheckBox; });
}
