// Map of this file: window classes and the message router; creating the
// controls; applying model changes; painting what the standard controls do
// not (frames, picture boxes, shapes, images, coloured buttons); control
// colours; the message loop with key preview.
#include "ui/win32/win32_form_view.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

#include "ui/tab_order.h"

namespace zolt::ui {
namespace {

constexpr char kFormClass[] = "ZoltForm";
constexpr char kContainerClass[] = "ZoltContainer";
constexpr char kGraphicClass[] = "ZoltGraphic";
constexpr int kFirstControlId = 1000;

RECT PixelRect(const Rect& r) {
  RECT rc;
  rc.left = TwipsToPixels(r.left);
  rc.top = TwipsToPixels(r.top);
  rc.right = rc.left + TwipsToPixels(r.width);
  rc.bottom = rc.top + TwipsToPixels(r.height);
  return rc;
}

bool IsLightweight(ControlKind kind) {
  return kind == ControlKind::kLabel || kind == ControlKind::kShape ||
         kind == ControlKind::kImage;
}

HICON IconOf(const std::string& picture) {
  if (picture.empty()) return nullptr;
  LPCSTR id = IDI_APPLICATION;
  if (picture == "icon:information") id = IDI_INFORMATION;
  else if (picture == "icon:question") id = IDI_QUESTION;
  else if (picture == "icon:exclamation") id = IDI_WARNING;
  else if (picture == "icon:critical") id = IDI_ERROR;
  return LoadIconA(nullptr, id);
}

int ShiftState() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftMask;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlMask;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltMask;
  return shift;
}

int CALLBACK NoteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(HDC dc, const char* face) {
  LOGFONTA lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExA(dc, &lf, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The face to ask GDI for. Windows always has "MS Sans Serif"; a Wine prefix
// may lack it, and GDI's own choice is then a wide sans that wraps the
// window's captions, so the nearest face in width that is installed stands
// in for it.
std::string InstalledFace(HDC dc, const std::string& face) {
  if (lstrcmpiA(face.c_str(), "MS Sans Serif") != 0 ||
      FaceInstalled(dc, face.c_str())) {
    return face;
  }
  for (const char* nearest : {"Microsoft Sans Serif", "Liberation Sans", "Arial",
                              "Tahoma", "DejaVu Sans Condensed"}) {
    if (FaceInstalled(dc, nearest)) return nearest;
  }
  return face;
}

void RegisterClasses(HINSTANCE instance, WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  for (const char* name : {kFormClass, kContainerClass, kGraphicClass}) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    if (name == kFormClass) {
      wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
      if (wc.hIcon == nullptr) wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    }
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
  }
}

}  // namespace

// --- Creation ---------------------------------------------------------------

Win32FormView::Win32FormView(Form& form, HINSTANCE instance)
    : form_(form), instance_(instance) {
  RegisterClasses(instance_, &Win32FormView::WindowProc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                      WS_CLIPCHILDREN;
  RECT r = {0, 0, TwipsToPixels(form_.client_width()),
            TwipsToPixels(form_.client_height())};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kFormClass, form_.caption().c_str(),
                          style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                          r.bottom - r.top, nullptr, nullptr, instance_, this);
  tool_tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
  SendMessageA(tool_tip_, TTM_SETMAXTIPWIDTH, 0, 400);

  children_.reserve(form_.controls().size());
  for (const auto& control : form_.controls()) CreateChild(*control);
  StackChildren();
  form_.AddObserver(this);
}

// A new child window goes below its siblings, so the first control added
// would be drawn over every later one. The stacking is set here instead: a
// later control above an earlier one (a help picture over the button or
// frame it sits on), and lightweight controls beneath the windowed ones, as
// in the classic toolkit (a label overlapped by a button stays behind it).
// The dialog manager's Tab walks this stacking, so the keyboard goes its own
// way in PreTranslate (the order added).
void Win32FormView::StackChildren() {
  constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  for (const Child& c : children_) {
    if (!IsLightweight(c.control->kind())) {
      SetWindowPos(c.hwnd, HWND_TOP, 0, 0, 0, 0, kKeepPlace);
    }
  }
  // Last one first, so an earlier one ends lowest (the banner label above
  // the shape drawn behind it).
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (IsLightweight(it->control->kind())) {
      SetWindowPos(it->hwnd, HWND_BOTTOM, 0, 0, 0, 0, kKeepPlace);
    }
  }
}

Win32FormView::~Win32FormView() {
  form_.RemoveObserver(this);
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
  for (auto& [name, font] : fonts_) DeleteObject(font);
}

void Win32FormView::CreateChild(const Control& control) {
  const int id = kFirstControlId + static_cast<int>(children_.size());
  HWND parent = control.container().is_form() ? hwnd_ : WindowOf(control.container());
  const char* cls = "STATIC";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex_style = 0;
  switch (control.kind()) {
    case ControlKind::kLabel:
      style |= SS_NOTIFY | SS_NOPREFIX;
      break;
    case ControlKind::kTextBox:
      cls = "EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      break;
    case ControlKind::kButton:
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_OWNERDRAW;
      break;
    case ControlKind::kOption:
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_RADIOBUTTON | BS_MULTILINE;
      break;
    case ControlKind::kCheckBox:
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_CHECKBOX | BS_MULTILINE;
      break;
    case ControlKind::kFrame:
    case ControlKind::kPictureBox:
      cls = kContainerClass;
      style |= WS_CLIPCHILDREN;
      ex_style |= WS_EX_CONTROLPARENT;
      break;
    case ControlKind::kShape:
    case ControlKind::kImage:
      cls = kGraphicClass;
      break;
  }
  const RECT rc = PixelRect(control.rect());
  HWND hwnd = CreateWindowExA(ex_style, cls, control.text().c_str(), style, rc.left,
                              rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance_, this);
  index_[control.key()] = children_.size();
  children_.push_back({&control, hwnd, id});
  Child& child = children_.back();
  ApplyStyle(child);
  for (Property p : {Property::kFont, Property::kValue, Property::kToolTip,
                     Property::kEnabled, Property::kVisible}) {
    Apply(child, p);
  }
}

HWND Win32FormView::WindowOf(const ControlKey& key) const {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : children_[it->second].hwnd;
}

Win32FormView::Child* Win32FormView::ChildOf(HWND hwnd) {
  for (Child& c : children_) {
    if (c.hwnd == hwnd) return &c;
  }
  return nullptr;
}

Win32FormView::Child* Win32FormView::ChildById(int id) {
  const int i = id - kFirstControlId;
  if (i < 0 || i >= static_cast<int>(children_.size())) return nullptr;
  return &children_[i];
}

ControlKey Win32FormView::SourceOf(HWND hwnd) {
  for (HWND h = hwnd; h != nullptr && h != hwnd_; h = GetParent(h)) {
    if (Child* c = ChildOf(h)) return c->control->key();
  }
  return ControlKey();
}

// --- Model changes ----------------------------------------------------------

void Win32FormView::ApplyStyle(Child& child) {
  const Control& c = *child.control;
  LONG_PTR style = GetWindowLongPtrA(child.hwnd, GWL_STYLE);
  LONG_PTR ex_style = GetWindowLongPtrA(child.hwnd, GWL_EXSTYLE);
  const bool border = c.border_style() == BorderStyle::kFixedSingle;
  if (c.kind() == ControlKind::kLabel) {
    style &= ~static_cast<LONG_PTR>(SS_TYPEMASK | WS_BORDER);
    style |= c.alignment() == Alignment::kCenter  ? SS_CENTER
             : c.alignment() == Alignment::kRight ? SS_RIGHT
                                                  : SS_LEFT;
    if (border) style |= WS_BORDER;
  } else if (c.kind() == ControlKind::kTextBox) {
    style &= ~static_cast<LONG_PTR>(ES_CENTER | ES_RIGHT);
    style |= c.alignment() == Alignment::kCenter  ? ES_CENTER
             : c.alignment() == Alignment::kRight ? ES_RIGHT
                                                  : ES_LEFT;
    ex_style = border ? (ex_style | WS_EX_CLIENTEDGE) : (ex_style & ~WS_EX_CLIENTEDGE);
  }
  SetWindowLongPtrA(child.hwnd, GWL_STYLE, style);
  SetWindowLongPtrA(child.hwnd, GWL_EXSTYLE, ex_style);
  SetWindowPos(child.hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                   SWP_FRAMECHANGED);
  InvalidateRect(child.hwnd, nullptr, TRUE);
}

void Win32FormView::UpdateToolTip(Child& child) {
  TOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(child.hwnd);
  SendMessageA(tool_tip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  const std::string& tip = child.control->tool_tip();
  if (tip.empty()) return;
  ti.lpszText = const_cast<char*>(tip.c_str());
  SendMessageA(tool_tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void Win32FormView::Apply(Child& child, Property what) {
  const Control& c = *child.control;
  syncing_ = true;
  switch (what) {
    case Property::kText:
      if (c.kind() == ControlKind::kFrame || c.kind() == ControlKind::kPictureBox) {
        InvalidateRect(child.hwnd, nullptr, TRUE);
      } else {
        SetWindowTextA(child.hwnd, c.text().c_str());
        if (c.kind() == ControlKind::kButton) InvalidateRect(child.hwnd, nullptr, TRUE);
      }
      break;
    case Property::kRect: {
      const RECT rc = PixelRect(c.rect());
      MoveWindow(child.hwnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 TRUE);
      break;
    }
    case Property::kFont:
      SendMessageA(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(c.font())),
                   TRUE);
      InvalidateRect(child.hwnd, nullptr, TRUE);
      break;
    case Property::kForeColor:
    case Property::kBackColor:
    case Property::kBackStyle:
    case Property::kPicture:
      // A container's colour shows through its transparent children, so
      // they are drawn again with it.
      RedrawWindow(child.hwnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case Property::kBorderStyle:
    case Property::kAlignment:
      ApplyStyle(child);
      break;
    case Property::kVisible:
      ShowWindow(child.hwnd, c.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::kEnabled:
      EnableWindow(child.hwnd, c.enabled() ? TRUE : FALSE);
      break;
    case Property::kValue:
      if (c.kind() == ControlKind::kOption || c.kind() == ControlKind::kCheckBox) {
        SendMessageA(child.hwnd, BM_SETCHECK, c.value() ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      break;
    case Property::kToolTip:
      UpdateToolTip(child);
      break;
  }
  syncing_ = false;
}

void Win32FormView::OnControlChanged(const Control& control, Property what) {
  auto it = index_.find(control.key());
  if (it != index_.end() && hwnd_ != nullptr) Apply(children_[it->second], what);
}

void Win32FormView::OnFormChanged(Property what) {
  if (hwnd_ == nullptr) return;
  if (what == Property::kText) SetWindowTextA(hwnd_, form_.caption().c_str());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32FormView::OnCloseRequested() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void Win32FormView::ClickFromUser(Child& child) {
  form_.Click(child.control->key());
  // Options and check boxes show what the model decided.
  if (hwnd_ != nullptr) Apply(child, Property::kValue);
}

// --- Colours and fonts ------------------------------------------------------

COLORREF Win32FormView::ColorOf(Color c) const {
  if (IsSystemColor(c)) return GetSysColor(SystemColorIndex(c));
  return static_cast<COLORREF>(c & 0x00FFFFFFu);  // the same 0x00BBGGRR layout
}

HBRUSH Win32FormView::BrushOf(Color c) {
  const COLORREF rgb = ColorOf(c);
  auto it = brushes_.find(rgb);
  if (it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(rgb);
  brushes_[rgb] = brush;
  return brush;
}

HFONT Win32FormView::FontOf(const Font& f) {
  const std::string key = f.name + "|" + std::to_string(f.points) + "|" +
                          (f.bold ? "b" : "n");
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  LOGFONTA lf = {};
  lf.lfHeight = -static_cast<LONG>(std::lround(f.points * dpi / 72.0));
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  const std::string face = InstalledFace(screen, f.name);
  ReleaseDC(nullptr, screen);
  std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectA(&lf);
  fonts_[key] = font;
  return font;
}

Color Win32FormView::ContainerBackColor(const Control& control) const {
  if (control.container().is_form()) return form_.back_color();
  return form_.Get(control.container()).back_color();
}

LRESULT Win32FormView::ControlColor(HDC dc, HWND child_hwnd) {
  Child* child = ChildOf(child_hwnd);
  if (child == nullptr) return 0;
  const Control& c = *child->control;
  // A transparent control shows its container's colour behind its text.
  const bool transparent = c.back_style() == BackStyle::kTransparent &&
                           c.kind() != ControlKind::kTextBox;
  const Color back = transparent ? ContainerBackColor(c) : c.back_color();
  SetTextColor(dc, ColorOf(c.fore_color()));
  SetBkColor(dc, ColorOf(back));
  SetBkMode(dc, OPAQUE);
  return reinterpret_cast<LRESULT>(BrushOf(back));
}

// --- Painting ---------------------------------------------------------------

void Win32FormView::PaintContainer(HWND hwnd, const Control& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, BrushOf(c.back_color()));
  HGDIOBJ old_font = SelectObject(dc, FontOf(c.font()));
  if (c.kind() == ControlKind::kFrame) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT edge = rc;
    edge.top += tm.tmHeight / 2;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    if (!c.text().empty()) {
      SetTextColor(dc, ColorOf(c.fore_color()));
      SetBkColor(dc, ColorOf(c.back_color()));
      SetBkMode(dc, OPAQUE);
      const std::string caption = " " + c.text() + " ";
      TextOutA(dc, 6, 0, caption.c_str(), static_cast<int>(caption.size()));
    }
  } else {
    // The picture in the top left corner, inside the border if there is one.
    const bool border = c.border_style() == BorderStyle::kFixedSingle;
    if (HICON icon = IconOf(c.picture())) {
      const int inset = border ? 2 : 0;
      DrawIconEx(dc, inset, inset, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    }
    if (border) DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
  }
  SelectObject(dc, old_font);
  EndPaint(hwnd, &ps);
}

void Win32FormView::PaintGraphic(HWND hwnd, const Control& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  const bool transparent = c.back_style() == BackStyle::kTransparent;
  FillRect(dc, &rc, BrushOf(transparent ? ContainerBackColor(c) : c.back_color()));
  if (c.kind() == ControlKind::kShape) {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorOf(c.fore_color()));
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
  } else if (HICON icon = IconOf(c.picture())) {
    DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
  }
  EndPaint(hwnd, &ps);
}

void Win32FormView::DrawButton(const DRAWITEMSTRUCT& item, const Control& c) {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  FillRect(dc, &rc, BrushOf(c.back_color()));
  DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  RECT inner = rc;
  InflateRect(&inner, -4, -3);
  if (pressed) OffsetRect(&inner, 1, 1);
  if (HICON icon = IconOf(c.picture())) {
    const int size = GetSystemMetrics(SM_CXICON);
    DrawIconEx(dc, inner.left, inner.top + (inner.bottom - inner.top - size) / 2, icon,
               0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    inner.left += size + 2;
  }
  HGDIOBJ old_font = SelectObject(dc, FontOf(c.font()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : ColorOf(c.fore_color()));
  // Centred, wrapped over several lines when the button is tall enough for
  // them; a low button keeps one line, centred in all its height (its
  // edges are thinner than the margin), rather than show a broken first line.
  RECT measure = inner;
  DrawTextA(dc, c.text().c_str(), -1, &measure,
            DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  const int text_height = measure.bottom - measure.top;
  if (text_height <= inner.bottom - inner.top) {
    RECT text = inner;
    text.top += ((inner.bottom - inner.top) - text_height) / 2;
    DrawTextA(dc, c.text().c_str(), -1, &text,
              DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  } else {
    RECT text = {inner.left, rc.top + 1, inner.right, rc.bottom - 1};
    if (pressed) OffsetRect(&text, 0, 1);
    DrawTextA(dc, c.text().c_str(), -1, &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, old_font);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = rc;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

// --- Messages ---------------------------------------------------------------

LRESULT CALLBACK Win32FormView::WindowProc(HWND hwnd, UINT msg, WPARAM wp,
                                           LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<Win32FormView*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (view == nullptr) return DefWindowProcA(hwnd, msg, wp, lp);
  return view->Handle(hwnd, msg, wp, lp);
}

LRESULT Win32FormView::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Child* self = hwnd == hwnd_ ? nullptr : ChildOf(hwnd);
  switch (msg) {
    case WM_COMMAND: {
      Child* child = ChildById(LOWORD(wp));
      if (child == nullptr || child->hwnd != reinterpret_cast<HWND>(lp)) break;
      const int code = HIWORD(wp);
      if (child->control->kind() == ControlKind::kTextBox) {
        if (code == EN_CHANGE && !syncing_) {
          const int n = GetWindowTextLengthA(child->hwnd);
          std::string text(static_cast<size_t>(n) + 1, '\0');
          GetWindowTextA(child->hwnd, text.data(), n + 1);
          text.resize(static_cast<size_t>(n));
          form_.EditText(child->control->key(), text);
        }
      } else if (code == BN_CLICKED) {  // also STN_CLICKED of a label
        ClickFromUser(*child);
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (LRESULT brush = ControlColor(reinterpret_cast<HDC>(wp),
                                       reinterpret_cast<HWND>(lp))) {
        return brush;
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (Child* child = ChildOf(item->hwndItem)) {
        DrawButton(*item, *child->control);
        return TRUE;
      }
      break;
    }
    case WM_ERASEBKGND:
      if (hwnd == hwnd_) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, BrushOf(form_.back_color()));
        return 1;
      }
      if (self != nullptr) return 1;  // containers and graphics paint it all
      break;
    case WM_PAINT:
      if (self != nullptr) {
        if (IsContainerKind(self->control->kind())) {
          PaintContainer(hwnd, *self->control);
        } else {
          PaintGraphic(hwnd, *self->control);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (self != nullptr) {
        ClickFromUser(*self);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (hwnd == hwnd_) {
        DestroyWindow(hwnd_);
        return 0;
      }
      break;
    case WM_DESTROY:
      if (hwnd == hwnd_) {
        closed_ = true;
        form_.Closed();
        PostQuitMessage(0);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      if (hwnd == hwnd_) hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool Win32FormView::PreTranslate(MSG& msg) {
  if (hwnd_ == nullptr) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  // The window previews every key, whichever control has the keyboard.
  if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
    form_.KeyUp(SourceOf(msg.hwnd), static_cast<int>(msg.wParam), ShiftState());
  } else if (msg.message == WM_CHAR) {
    form_.KeyPress(SourceOf(msg.hwnd), static_cast<unsigned char>(msg.wParam));
  }
  if (hwnd_ == nullptr) return true;  // the key closed the window
  if (msg.message == WM_KEYDOWN && Navigate(static_cast<int>(msg.wParam))) {
    return true;
  }
  return IsDialogMessageA(hwnd_, &msg) != 0;
}

// Tab and Shift+Tab follow the order the controls were added; the arrow keys
// move inside a group of options (selecting, as a click does) and from a
// button or check box to the next stop. Text boxes keep their arrows.
bool Win32FormView::Navigate(int key) {
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  Child* focus = ChildOf(GetFocus());
  const Control* from = focus != nullptr ? focus->control : nullptr;
  const bool backwards = key == VK_LEFT || key == VK_UP;
  if (key == VK_TAB) {
    FocusControl(NextTabStop(form_, from, GetKeyState(VK_SHIFT) < 0));
    return true;
  }
  if (from == nullptr ||
      (key != VK_LEFT && key != VK_UP && key != VK_RIGHT && key != VK_DOWN)) {
    return false;
  }
  switch (from->kind()) {
    case ControlKind::kOption: {
      const Control& next = NextOptionInGroup(form_, *from, backwards);
      if (&next != from) {
        Child& child = children_[index_.at(next.key())];
        SetFocus(child.hwnd);
        ClickFromUser(child);
      }
      return true;
    }
    case ControlKind::kButton:
    case ControlKind::kCheckBox:
      FocusControl(NextTabStop(form_, from, backwards));
      return true;
    default:
      return false;
  }
}

void Win32FormView::FocusControl(const Control* control) {
  if (control == nullptr) return;
  HWND hwnd = WindowOf(control->key());
  if (hwnd == nullptr) return;
  SetFocus(hwnd);
  // As the dialog manager does: a text box reached by the keyboard has its
  // text selected.
  if (control->kind() == ControlKind::kTextBox) SendMessageA(hwnd, EM_SETSEL, 0, -1);
}

void Win32FormView::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
  if (const Control* first = NextTabStop(form_, nullptr, false)) {
    SetFocus(WindowOf(first->key()));
  }
}

int Win32FormView::RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void Win32FormView::PumpPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      break;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32FormView::RepaintNow(const ControlKey& key) {
  if (HWND hwnd = WindowOf(key)) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

}  // namespace zolt::ui
