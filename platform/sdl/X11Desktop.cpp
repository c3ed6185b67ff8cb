#include "platform/sdl/X11Desktop.h"

#include "platform/sdl/X11ErrorTrap.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string_view>
#include <thread>

// Xlib last: it defines macros (None, Bool, Status) that other headers must not see.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <SDL_syswm.h>

namespace tazu {
namespace {

constexpr int kRandrMajor = 1;
constexpr int kRandrMinor = 2;  // outputs and CRTCs
constexpr int kMaxButtons = 256;
constexpr int kButtonsSwappedNeed = 3;
constexpr int kMappingRetryMs = 2000;  // a button held down makes the server refuse
constexpr int kMappingRetryStepMs = 20;
constexpr long kMaxPropertyWords = 4096;
constexpr size_t kMaxDocks = 64;
constexpr size_t kCrtcStateFields = 10;
constexpr double kMmPerInch = 25.4;
constexpr double kFallbackDpi = 96.0;

const char* const kDisplayKey = "display";
const char* const kModeKey = "mode";
const char* const kDocksKey = "docks";
const char* const kPointerKey = "pointer";

// ---- owners of Xlib's allocations ----
struct XFreeDeleter {
  void operator()(void* p) const { XFree(p); }
};
struct ResourcesDeleter {
  void operator()(XRRScreenResources* p) const { XRRFreeScreenResources(p); }
};
struct OutputDeleter {
  void operator()(XRROutputInfo* p) const { XRRFreeOutputInfo(p); }
};
struct CrtcDeleter {
  void operator()(XRRCrtcInfo* p) const { XRRFreeCrtcInfo(p); }
};
using Resources = std::unique_ptr<XRRScreenResources, ResourcesDeleter>;
using OutputInfo = std::unique_ptr<XRROutputInfo, OutputDeleter>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, CrtcDeleter>;

// Lets Xlib's idea of the screen size catch up with changes made by anyone.
void CatchUp(Display* display) {
  XSync(display, False);
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    XRRUpdateConfiguration(&event);
  }
}

int Rounded(double value) { return static_cast<int>(std::lround(value)); }

// The whole-hertz rate of a mode; 0 when the server gives no timings (Xvfb).
uint32_t RefreshOf(const XRRModeInfo& mode) {
  double lines = mode.vTotal;
  if (mode.modeFlags & RR_DoubleScan) lines *= 2;
  if (mode.modeFlags & RR_Interlace) lines /= 2;
  const double dots = static_cast<double>(mode.hTotal) * lines;
  if (dots <= 0 || mode.dotClock == 0) return 0;
  return static_cast<uint32_t>(Rounded(static_cast<double>(mode.dotClock) / dots));
}

const XRRModeInfo* FindModeInfo(const XRRScreenResources& res, RRMode id) {
  for (int i = 0; i < res.nmode; ++i) {
    if (res.modes[i].id == id) return &res.modes[i];
  }
  return nullptr;
}

bool QuarterTurned(Rotation rotation) { return (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0; }

// The classic orientation numbers: 0, 90, 180 and 270 degrees as 0 to 3.
uint16_t OrientationOf(Rotation rotation) {
  if (rotation & RR_Rotate_90) return 1;
  if (rotation & RR_Rotate_180) return 2;
  if (rotation & RR_Rotate_270) return 3;
  return 0;
}

int MmFor(int pixels, int referencePixels, int referenceMm) {
  if (referencePixels > 0 && referenceMm > 0) {
    return Rounded(static_cast<double>(pixels) * referenceMm / referencePixels);
  }
  return Rounded(pixels * kMmPerInch / kFallbackDpi);
}

bool SetMappingRetrying(Display* display, std::vector<unsigned char> map) {
  X11ErrorTrap trap(display);  // a map of the wrong length is refused with an error
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kMappingRetryMs);
  for (;;) {
    const int result = XSetPointerMapping(display, map.data(), static_cast<int>(map.size()));
    if (result == MappingSuccess) return !trap.Failed();
    if (result != MappingBusy || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kMappingRetryStepMs));
  }
}

// Puts `state`'s mode on its CRTC, growing the screen first when the mode does not
// fit and shrinking it to the wanted size afterwards, so that no CRTC ever lies
// outside the screen (which the server refuses).
bool ApplyCrtc(Display* display, const X11Desktop::CrtcState& state) {
  CatchUp(display);
  X11ErrorTrap outer(display);  // ids from a record may name nothing (any more)
  const Window root = DefaultRootWindow(display);
  const int screen = DefaultScreen(display);
  Resources res(XRRGetScreenResourcesCurrent(display, root));
  if (!res) return false;
  CrtcInfo crtc(XRRGetCrtcInfo(display, res.get(), state.crtc));
  if (!crtc || outer.Failed()) return false;
  std::vector<RROutput> outputs(crtc->outputs, crtc->outputs + crtc->noutput);
  if (outputs.empty()) outputs.push_back(state.output);

  const int width = DisplayWidth(display, screen);
  const int height = DisplayHeight(display, screen);
  const int widthMm = DisplayWidthMM(display, screen);
  const int heightMm = DisplayHeightMM(display, screen);
  const int bigWidth = std::max(width, state.screenWidth);
  const int bigHeight = std::max(height, state.screenHeight);

  XGrabServer(display);
  bool ok = false;
  {
    X11ErrorTrap trap(display);
    if (bigWidth != width || bigHeight != height) {
      XRRSetScreenSize(display, root, bigWidth, bigHeight, MmFor(bigWidth, width, widthMm),
                       MmFor(bigHeight, height, heightMm));
    }
    const Status status = XRRSetCrtcConfig(
        display, res.get(), state.crtc, CurrentTime, state.x, state.y, state.mode,
        static_cast<Rotation>(state.rotation), outputs.data(), static_cast<int>(outputs.size()));
    ok = status == RRSetConfigSuccess && !trap.Failed();
    const int finalWidth = ok ? state.screenWidth : width;
    const int finalHeight = ok ? state.screenHeight : height;
    if (finalWidth != bigWidth || finalHeight != bigHeight) {
      XRRSetScreenSize(display, root, finalWidth, finalHeight, ok ? state.screenWidthMm : widthMm,
                       ok ? state.screenHeightMm : heightMm);
    }
    ok = ok && !trap.Failed();
  }
  XUngrabServer(display);
  CatchUp(display);
  return ok;
}

void MapWindows(Display* display, const std::vector<uint64_t>& windows, bool map) {
  X11ErrorTrap trap(display);  // a dock may have gone away meanwhile
  const int screen = DefaultScreen(display);
  for (uint64_t w : windows) {
    if (map) {
      XMapWindow(display, static_cast<Window>(w));
    } else {
      // Withdrawing (not only unmapping) tells a window manager to let go of it too.
      XWithdrawWindow(display, static_cast<Window>(w), screen);
    }
  }
}

// Every item of a 32-bit property of type `type`, as at most kMaxPropertyWords values.
std::vector<unsigned long> ReadWords(Display* display, Window window, Atom property, Atom type) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> words;
  if (XGetWindowProperty(display, window, property, 0, kMaxPropertyWords, False, type, &actualType,
                         &format, &count, &after, &data) != Success) {
    return words;
  }
  std::unique_ptr<unsigned char, XFreeDeleter> owner(data);
  if (data == nullptr || actualType != type || format != 32) return words;
  // Xlib hands 32-bit items over as longs.
  const auto* items = reinterpret_cast<const unsigned long*>(data);
  words.assign(items, items + count);
  return words;
}

// ---- record text ----
std::string Join(const std::vector<int64_t>& numbers) {
  std::string text;
  for (int64_t n : numbers) {
    if (!text.empty()) text += ' ';
    text += std::to_string(n);
  }
  return text;
}

// The blank-separated integers of `text`; empty when any is not a number in range.
std::vector<int64_t> ParseNumbers(const std::string& text, int64_t low, int64_t high,
                                  size_t maxCount) {
  std::vector<int64_t> numbers;
  const char* p = text.c_str();
  while (*p != '\0') {
    if (*p == ' ') {
      ++p;
      continue;
    }
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(p, &end, 10);
    if (end == p || errno != 0 || n < low || n > high || numbers.size() >= maxCount ||
        (*end != ' ' && *end != '\0')) {
      return {};
    }
    numbers.push_back(n);
    p = end;
  }
  return numbers;
}

constexpr int64_t kMaxXid = 0x1FFFFFFF;  // resource ids have 29 bits
constexpr int64_t kMaxCoordinate = 32767;
constexpr int64_t kMaxRotationBits = 0xFF;

std::string EncodeCrtc(const X11Desktop::CrtcState& s) {
  return Join({static_cast<int64_t>(s.output), static_cast<int64_t>(s.crtc),
               static_cast<int64_t>(s.mode), s.x, s.y, s.rotation, s.screenWidth, s.screenHeight,
               s.screenWidthMm, s.screenHeightMm});
}

std::optional<X11Desktop::CrtcState> DecodeCrtc(const std::string& text) {
  const auto n = ParseNumbers(text, -kMaxCoordinate, kMaxXid, kCrtcStateFields);
  if (n.size() != kCrtcStateFields) return std::nullopt;
  for (size_t i : {0u, 1u, 2u, 5u, 6u, 7u, 8u, 9u}) {
    if (n[i] < 0) return std::nullopt;
  }
  if (n[3] > kMaxCoordinate || n[4] > kMaxCoordinate || n[5] > kMaxRotationBits ||
      n[6] > kMaxCoordinate || n[7] > kMaxCoordinate || n[6] == 0 || n[7] == 0) {
    return std::nullopt;
  }
  X11Desktop::CrtcState s;
  s.output = static_cast<uint64_t>(n[0]);
  s.crtc = static_cast<uint64_t>(n[1]);
  s.mode = static_cast<uint64_t>(n[2]);
  s.x = static_cast<int>(n[3]);
  s.y = static_cast<int>(n[4]);
  s.rotation = static_cast<unsigned>(n[5]);
  s.screenWidth = static_cast<int>(n[6]);
  s.screenHeight = static_cast<int>(n[7]);
  s.screenWidthMm = static_cast<int>(n[8]);
  s.screenHeightMm = static_cast<int>(n[9]);
  return s;
}

}  // namespace

// The output the launcher works on and its CRTC as they are now.
struct X11Desktop::Output {
  RROutput output = 0;
  RRCrtc crtc = 0;
  RRMode mode = 0;
  int x = 0;
  int y = 0;
  unsigned width = 0;  // as shown, rotation applied
  unsigned height = 0;
  Rotation rotation = RR_Rotate_0;
  std::vector<RRMode> modes;
};

X11Desktop::X11Desktop(const char* displayName, SessionGuardian* guardian) : guardian_(guardian) {
  display_ = XOpenDisplay(displayName);
  if (display_ == nullptr) return;
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  randr_ = XRRQueryExtension(display_, &eventBase, &errorBase) &&
           XRRQueryVersion(display_, &major, &minor) &&
           (major > kRandrMajor || (major == kRandrMajor && minor >= kRandrMinor));
  if (randr_) XRRSelectInput(display_, DefaultRootWindow(display_), RRScreenChangeNotifyMask);
  underWayland_ = FindWayland();
  unsigned char map[kMaxButtons];
  const int buttons = XGetPointerMapping(display_, map, kMaxButtons);
  startupMapping_.assign(map, map + std::clamp(buttons, 0, kMaxButtons));
}

X11Desktop::~X11Desktop() {
  if (display_ == nullptr) return;
  RestoreAll();
  XCloseDisplay(display_);
}

uint32_t X11Desktop::BitsPerPixel() {
  const int depth = DefaultDepth(display_, DefaultScreen(display_));
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display_, &count);
  std::unique_ptr<XPixmapFormatValues, XFreeDeleter> owner(formats);
  for (int i = 0; formats != nullptr && i < count; ++i) {
    if (formats[i].depth == depth) return static_cast<uint32_t>(formats[i].bits_per_pixel);
  }
  constexpr int kPackedDepth = 24;
  constexpr uint32_t kWordBits = 32;
  return depth == kPackedDepth ? kWordBits : static_cast<uint32_t>(depth);
}

void X11Desktop::SetPointerPassThrough(SDL_Window* sdlWindow, bool through) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (display_ == nullptr || !SDL_GetWindowWMInfo(sdlWindow, &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return;
  }
  const Window window = info.info.x11.window;
  X11ErrorTrap trap(display_);  // the window may be gone already
  if (through) {
    XShapeCombineRectangles(display_, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  } else {
    XShapeCombineMask(display_, window, ShapeInput, 0, 0, 0, ShapeSet);
  }
  XSync(display_, False);
}

// Newer XWayland servers have an extension of that name; every one names its outputs
// XWAYLAND0, XWAYLAND1, ...
bool X11Desktop::FindWayland() {
  int opcode = 0;
  int eventBase = 0;
  int errorBase = 0;
  if (XQueryExtension(display_, "XWAYLAND", &opcode, &eventBase, &errorBase)) return true;
  if (!randr_) return false;
  X11ErrorTrap trap(display_);
  Resources res(XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_)));
  if (!res) return false;
  for (int i = 0; i < res->noutput; ++i) {
    OutputInfo info(XRRGetOutputInfo(display_, res.get(), res->outputs[i]));
    if (info && std::string_view(info->name, info->nameLen).starts_with("XWAYLAND")) return true;
  }
  return false;
}

std::optional<X11Desktop::Output> X11Desktop::PrimaryOutput() {
  if (!randr_) return std::nullopt;
  CatchUp(display_);
  X11ErrorTrap trap(display_);  // outputs and CRTCs can go while we look
  const Window root = DefaultRootWindow(display_);
  Resources res(XRRGetScreenResourcesCurrent(display_, root));
  if (!res) return std::nullopt;
  auto usable = [&](RROutput id) -> std::optional<Output> {
    OutputInfo info(XRRGetOutputInfo(display_, res.get(), id));
    if (!info || info->connection != RR_Connected || info->crtc == 0) return std::nullopt;
    CrtcInfo crtc(XRRGetCrtcInfo(display_, res.get(), info->crtc));
    if (!crtc || crtc->mode == 0) return std::nullopt;
    Output out;
    out.output = id;
    out.crtc = info->crtc;
    out.mode = crtc->mode;
    out.x = crtc->x;
    out.y = crtc->y;
    out.width = crtc->width;
    out.height = crtc->height;
    out.rotation = crtc->rotation;
    out.modes.assign(info->modes, info->modes + info->nmode);
    return out;
  };
  if (const RROutput primary = XRRGetOutputPrimary(display_, root)) {
    if (auto out = usable(primary)) return out;
  }
  for (int i = 0; i < res->noutput; ++i) {
    if (auto out = usable(res->outputs[i])) return out;
  }
  return std::nullopt;
}

std::optional<DisplayMode> X11Desktop::ScreenMode() {
  if (display_ == nullptr) return std::nullopt;
  CatchUp(display_);
  const int screen = DefaultScreen(display_);
  DisplayMode mode;
  mode.bitsPerPel = BitsPerPixel();
  mode.pelsWidth = static_cast<uint32_t>(DisplayWidth(display_, screen));
  mode.pelsHeight = static_cast<uint32_t>(DisplayHeight(display_, screen));
  return mode;
}

std::optional<DisplayCaps> X11Desktop::Caps() {
  if (display_ == nullptr) return std::nullopt;
  DisplayCaps caps;
  if (auto current = CurrentMode()) {
    caps.refresh = static_cast<int>(current->displayFrequency);
    caps.width = static_cast<int>(current->pelsWidth);
    caps.height = static_cast<int>(current->pelsHeight);
    caps.bitsPerPixel = static_cast<int>(current->bitsPerPel);
  }
  return caps;
}

namespace {

DisplayMode DescribeMode(const XRRModeInfo& info, Rotation rotation, uint32_t bitsPerPixel) {
  DisplayMode mode;
  mode.bitsPerPel = bitsPerPixel;
  mode.pelsWidth = QuarterTurned(rotation) ? info.height : info.width;
  mode.pelsHeight = QuarterTurned(rotation) ? info.width : info.height;
  mode.displayFrequency = RefreshOf(info);
  mode.orientation = OrientationOf(rotation);
  mode.native = info.id;
  return mode;
}

}  // namespace

std::optional<DisplayMode> X11Desktop::CurrentMode() {
  auto out = PrimaryOutput();
  if (!out) return ScreenMode();
  Resources res(XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_)));
  const XRRModeInfo* info = res ? FindModeInfo(*res, out->mode) : nullptr;
  if (info == nullptr) return ScreenMode();
  return DescribeMode(*info, out->rotation, BitsPerPixel());
}

std::optional<DisplayMode> X11Desktop::Mode(int index) {
  if (index < 0) return std::nullopt;
  auto out = PrimaryOutput();
  if (!out) return index == 0 ? ScreenMode() : std::nullopt;
  if (static_cast<size_t>(index) >= out->modes.size()) return std::nullopt;
  Resources res(XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_)));
  const XRRModeInfo* info =
      res ? FindModeInfo(*res, out->modes[static_cast<size_t>(index)]) : nullptr;
  if (info == nullptr) return std::nullopt;
  return DescribeMode(*info, out->rotation, BitsPerPixel());
}

namespace {

// The one of an output's `modes` that `mode` asks for; 0 when there is none.
RRMode FindMode(const XRRScreenResources& res, const std::vector<RRMode>& modes, Rotation rotation,
                const DisplayMode& mode, uint32_t bits) {
  for (RRMode id : modes) {
    const XRRModeInfo* info = FindModeInfo(res, id);
    if (info == nullptr) continue;
    const DisplayMode listed = DescribeMode(*info, rotation, bits);
    const bool match =
        mode.native != 0
            ? listed.native == mode.native
            : listed.pelsWidth == mode.pelsWidth && listed.pelsHeight == mode.pelsHeight &&
                  (mode.displayFrequency == 0 || listed.displayFrequency == mode.displayFrequency);
    if (match) return id;
  }
  return 0;
}

// `now` with its CRTC showing `target`; the screen becomes the bounding box of every
// lit CRTC with this one at its new size. None when the screen cannot grow that far.
std::optional<X11Desktop::CrtcState> PlanMode(Display* display, XRRScreenResources& res,
                                              const X11Desktop::CrtcState& now, RRMode target) {
  const XRRModeInfo* info = FindModeInfo(res, target);
  const bool turned = QuarterTurned(static_cast<Rotation>(now.rotation));
  int right = now.x + static_cast<int>(turned ? info->height : info->width);
  int bottom = now.y + static_cast<int>(turned ? info->width : info->height);
  for (int i = 0; i < res.ncrtc; ++i) {
    if (res.crtcs[i] == now.crtc) continue;
    CrtcInfo other(XRRGetCrtcInfo(display, &res, res.crtcs[i]));
    if (!other || other->mode == 0) continue;
    right = std::max(right, other->x + static_cast<int>(other->width));
    bottom = std::max(bottom, other->y + static_cast<int>(other->height));
  }
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  if (XRRGetScreenSizeRange(display, DefaultRootWindow(display), &minWidth, &minHeight, &maxWidth,
                            &maxHeight)) {
    if (right > maxWidth || bottom > maxHeight) return std::nullopt;
    right = std::max(right, minWidth);
    bottom = std::max(bottom, minHeight);
  }
  X11Desktop::CrtcState plan = now;
  plan.mode = target;
  plan.screenWidth = right;
  plan.screenHeight = bottom;
  plan.screenWidthMm = MmFor(right, now.screenWidth, now.screenWidthMm);
  plan.screenHeightMm = MmFor(bottom, now.screenHeight, now.screenHeightMm);
  return plan;
}

}  // namespace

int X11Desktop::ChangeMode(const DisplayMode& mode) {
  if (display_ == nullptr) return DISP_CHANGE_FAILED;
  auto out = PrimaryOutput();
  if (!out) {
    // No RandR: only the mode in use can be "applied".
    auto current = ScreenMode();
    const bool same =
        current && current->pelsWidth == mode.pelsWidth && current->pelsHeight == mode.pelsHeight;
    return same ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
  }
  const uint32_t bits = BitsPerPixel();
  if (mode.bitsPerPel != 0 && mode.bitsPerPel != bits) return DISP_CHANGE_BADMODE;
  Resources res(XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_)));
  if (!res) return DISP_CHANGE_FAILED;
  const RRMode target = FindMode(*res, out->modes, out->rotation, mode, bits);
  if (target == 0) return DISP_CHANGE_BADMODE;
  const int screen = DefaultScreen(display_);
  const CrtcState now(out->output, out->crtc, out->mode, out->x, out->y, out->rotation,
                      DisplayWidth(display_, screen), DisplayHeight(display_, screen),
                      DisplayWidthMM(display_, screen), DisplayHeightMM(display_, screen));
  // Going back puts screen size and position exactly as found.
  const bool back =
      originalMode_ && originalMode_->crtc == now.crtc && originalMode_->mode == target;
  if (!back && target == now.mode) return DISP_CHANGE_SUCCESSFUL;
  const auto plan = back ? originalMode_ : PlanMode(display_, *res, now, target);
  return plan ? ApplyMode(now, *plan) : DISP_CHANGE_FAILED;
}

int X11Desktop::ApplyMode(const CrtcState& now, const CrtcState& plan) {
  const bool firstChange = !originalMode_;
  if (firstChange) {
    originalMode_ = now;
    Report();  // before the change: a crash half-way must still be put right
  }
  if (!ApplyCrtc(display_, plan)) {
    if (firstChange) {
      originalMode_.reset();
      Report();
    }
    return DISP_CHANGE_FAILED;
  }
  if (!firstChange && plan.mode == originalMode_->mode) {
    originalMode_.reset();
    Report();
  }
  return DISP_CHANGE_SUCCESSFUL;
}

TaskBarHandle X11Desktop::FindDocks() {
  docks_.clear();
  docksHandle_ = 0;
  docksHidden_ = false;
  if (display_ == nullptr) return 0;
  const Atom typeAtom = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", True);
  const Atom dockAtom = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DOCK", True);
  if (typeAtom == 0 || dockAtom == 0) return 0;  // nobody has ever named a dock
  const Window root = DefaultRootWindow(display_);
  X11ErrorTrap trap(display_);  // windows may vanish while we look

  // Managed windows are listed by the window manager; without one, top-level windows
  // are the root's children.
  std::vector<unsigned long> candidates;
  if (const Atom clients = XInternAtom(display_, "_NET_CLIENT_LIST", True)) {
    candidates = ReadWords(display_, root, clients, XA_WINDOW);
  }
  {
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display_, root, &rootReturn, &parent, &children, &count)) {
      std::unique_ptr<Window, XFreeDeleter> owner(children);
      candidates.insert(candidates.end(), children, children + count);
    }
  }

  std::set<unsigned long> seen;
  for (unsigned long w : candidates) {
    if (docks_.size() >= kMaxDocks) break;
    if (!seen.insert(w).second) continue;
    const auto types = ReadWords(display_, w, typeAtom, XA_ATOM);
    if (std::find(types.begin(), types.end(), dockAtom) == types.end()) continue;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, w, &attributes) || attributes.map_state == IsUnmapped)
      continue;
    docks_.push_back(w);
  }
  if (!docks_.empty()) docksHandle_ = docks_.front();
  return docksHandle_;
}

void X11Desktop::ShowDocks(TaskBarHandle handle, bool show) {
  if (display_ == nullptr || handle == 0 || handle != docksHandle_ || show != docksHidden_) return;
  if (!show) {
    docksHidden_ = true;
    Report();
  }
  MapWindows(display_, docks_, show);
  if (show) {
    docksHidden_ = false;
    Report();
  }
}

void X11Desktop::SetButtonsSwapped(bool swapped) {
  if (display_ == nullptr || swapped == swapped_ || startupMapping_.size() < kButtonsSwappedNeed)
    return;
  std::vector<unsigned char> map = startupMapping_;
  if (swapped) {
    std::swap(map[0], map[2]);
    swapped_ = true;
    Report();
    if (!SetMappingRetrying(display_, map)) {
      swapped_ = false;
      Report();
    }
  } else if (SetMappingRetrying(display_, map)) {
    swapped_ = false;
    Report();
  }
}

void X11Desktop::RestoreAll() {
  if (display_ == nullptr) return;
  SetButtonsSwapped(false);
  if (docksHidden_) ShowDocks(docksHandle_, true);
  if (originalMode_ && ApplyCrtc(display_, *originalMode_)) {
    originalMode_.reset();
    Report();
  }
  XSync(display_, False);
}

void X11Desktop::Report() {
  if (guardian_ == nullptr || display_ == nullptr) return;
  SessionGuardian::Records now;
  if (originalMode_) now[kModeKey] = EncodeCrtc(*originalMode_);
  if (docksHidden_) {
    std::vector<int64_t> ids(docks_.begin(), docks_.end());
    now[kDocksKey] = Join(ids);
  }
  if (swapped_)
    now[kPointerKey] = Join(std::vector<int64_t>(startupMapping_.begin(), startupMapping_.end()));
  const bool changed = !now.empty();
  if (changed) now[kDisplayKey] = DisplayString(display_);
  // The display name goes first and leaves last, so the guardian always knows it.
  auto send = [&](const std::string& key) {
    const std::string value = now.count(key) ? now[key] : std::string();
    const auto old = reported_.find(key);
    if ((old == reported_.end() ? std::string() : old->second) == value) return;
    guardian_->Set(key, value);
    if (value.empty()) {
      reported_.erase(key);
    } else {
      reported_[key] = value;
    }
  };
  if (changed) send(kDisplayKey);
  for (const char* key : {kModeKey, kDocksKey, kPointerKey}) send(key);
  if (!changed) send(kDisplayKey);
}

void X11Desktop::Restore(const SessionGuardian::Records& records) {
  auto text = [&](const char* key) {
    const auto it = records.find(key);
    return it == records.end() ? std::string() : it->second;
  };
  const std::string name = text(kDisplayKey);
  Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
  if (display == nullptr) return;
  {
    X11ErrorTrap trap(display);
    RestoreRecords(display, records);
  }
  XCloseDisplay(display);
}

void X11Desktop::RestoreRecords(_XDisplay* display, const SessionGuardian::Records& records) {
  auto text = [&](const char* key) {
    const auto it = records.find(key);
    return it == records.end() ? std::string() : it->second;
  };
  const auto pointer = ParseNumbers(text(kPointerKey), 0, UCHAR_MAX, kMaxButtons);
  if (!pointer.empty())
    SetMappingRetrying(display, std::vector<unsigned char>(pointer.begin(), pointer.end()));
  const auto docks = ParseNumbers(text(kDocksKey), 1, kMaxXid, kMaxDocks);
  if (!docks.empty()) MapWindows(display, std::vector<uint64_t>(docks.begin(), docks.end()), true);
  if (auto mode = DecodeCrtc(text(kModeKey))) ApplyCrtc(display, *mode);
}

}  // namespace tazu
