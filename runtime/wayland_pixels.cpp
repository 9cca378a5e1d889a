#include "runtime/wayland_pixels.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client-core.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "runtime/shared_library.h"

namespace velloran::rt {

// The few calls we make of the Wayland client library, the one SDL itself loads.
struct WaylandPixels::Library {
// clang-format off
#define VELLORAN_WAYLAND_FUNCTIONS(X)                                                         \
  X(wl_display_connect) X(wl_display_disconnect) X(wl_display_roundtrip)                      \
  X(wl_display_get_error) X(wl_display_create_queue) X(wl_event_queue_destroy)                \
  X(wl_display_roundtrip_queue) X(wl_display_dispatch_queue_pending) X(wl_display_flush)      \
  X(wl_display_get_fd) X(wl_proxy_create_wrapper) X(wl_proxy_wrapper_destroy)                 \
  X(wl_proxy_set_queue) X(wl_proxy_marshal_array_flags) X(wl_proxy_add_listener)             \
  X(wl_proxy_destroy) X(wl_proxy_get_version)
// clang-format on
#define VELLORAN_DECLARE(name) decltype(&::name) name = nullptr;
  VELLORAN_WAYLAND_FUNCTIONS(VELLORAN_DECLARE)
#undef VELLORAN_DECLARE
  const wl_interface* registry = nullptr;
  const wl_interface* shm = nullptr;
  const wl_interface* pool = nullptr;
  const wl_interface* buffer = nullptr;

  template <class Each>
  void forEach(Each&& each) {
#define VELLORAN_EACH(name) each(name, #name);
    VELLORAN_WAYLAND_FUNCTIONS(VELLORAN_EACH)
#undef VELLORAN_EACH
  }
#undef VELLORAN_WAYLAND_FUNCTIONS
};

struct WaylandPixels::Buffer {
  wl_proxy* proxy = nullptr;
  int fd = -1;
  std::uint32_t* pixels = nullptr;
  std::size_t bytes = 0;
  bool busy = false;        // the compositor reads it
  std::vector<Rect> stale;  // what changed on the window since it was last shown
};

struct WaylandPixels::Surface {
  SDL_Window* window = nullptr;
  wl_proxy* proxy = nullptr;
  int width = 0, height = 0;
  std::vector<std::unique_ptr<Buffer>> buffers;
  Buffer* current = nullptr;  // the one the window shows
  bool attached = false;
};

namespace {

// Opcodes and values of the core protocol.
constexpr std::uint32_t kDisplayGetRegistry = 1;
constexpr std::uint32_t kRegistryBind = 0;
constexpr std::uint32_t kShmCreatePool = 0;
constexpr std::uint32_t kPoolCreateBuffer = 0;
constexpr std::uint32_t kPoolDestroy = 1;
constexpr std::uint32_t kBufferDestroy = 0;
constexpr std::uint32_t kSurfaceAttach = 1;
constexpr std::uint32_t kSurfaceDamage = 2;
constexpr std::uint32_t kSurfaceCommit = 6;
constexpr std::uint32_t kSurfaceDamageBuffer = 9;  // from version 4
constexpr std::uint32_t kFormatXrgb8888 = 1;
constexpr int kMostBuffers = 3;  // a window's: one shown, one on its way, one to draw in

const WaylandPixels::Library* loadLibrary() {
  static const WaylandPixels::Library* const library = [] {
    static WaylandPixels::Library functions;
    if (!bindSharedLibrary(functions, "libwayland-client.so.0"))
      return (decltype(&functions))nullptr;
    void* handle = openSharedLibrary("libwayland-client.so.0");
    auto interface = [&](const char* name) {
      return static_cast<const wl_interface*>(sharedFunction(handle, name));
    };
    functions.registry = interface("wl_registry_interface");
    functions.shm = interface("wl_shm_interface");
    functions.pool = interface("wl_shm_pool_interface");
    functions.buffer = interface("wl_buffer_interface");
    const bool complete = functions.registry && functions.shm && functions.pool && functions.buffer;
    return complete ? &functions : nullptr;
  }();
  return library;
}

wl_argument number(std::int32_t value) {
  wl_argument argument;
  argument.i = value;
  return argument;
}
wl_argument object(void* value) {
  wl_argument argument;
  argument.o = static_cast<wl_object*>(value);
  return argument;
}
wl_argument text(const char* value) {
  wl_argument argument;
  argument.s = value;
  return argument;
}

wl_proxy* request(const WaylandPixels::Library& wl, void* proxy, std::uint32_t opcode,
                  const wl_interface* made, std::initializer_list<wl_argument> arguments,
                  std::uint32_t flags = 0, std::uint32_t version = 0) {
  std::vector<wl_argument> list(arguments);
  auto* target = static_cast<wl_proxy*>(proxy);
  if (version == 0) version = wl.wl_proxy_get_version(target);
  return wl.wl_proxy_marshal_array_flags(target, opcode, made, version, flags, list.data());
}

Rect bounds(const Rect& a, const Rect& b) {
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

void copyRect(std::uint32_t* target, const std::uint32_t* source, int width, const Rect& area) {
  for (int y = area.y; y < area.y + area.height; ++y) {
    std::memcpy(target + y * width + area.x, source + y * width + area.x,
                static_cast<std::size_t>(area.width) * 4);
  }
}

struct Listeners {
  static void global(void* data, wl_proxy* registry, std::uint32_t name, const char* interface,
                     std::uint32_t) {
    auto* self = static_cast<std::pair<const WaylandPixels::Library*, void**>*>(data);
    if (std::strcmp(interface, "wl_shm") != 0 || *self->second) return;
    *self->second = request(
        *self->first, registry, kRegistryBind, self->first->shm,
        {number(static_cast<std::int32_t>(name)), text("wl_shm"), number(1), object(nullptr)}, 0,
        1);
  }
  static void seat(void* data, wl_proxy*, std::uint32_t, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, "wl_seat") == 0) *static_cast<bool*>(data) = true;
  }
  static void globalRemove(void*, wl_proxy*, std::uint32_t) {}
  static void release(void* data, wl_proxy*) {
    static_cast<WaylandPixels::Buffer*>(data)->busy = false;
  }
};

struct RegistryListener {
  decltype(&Listeners::global) global = Listeners::global;
  decltype(&Listeners::globalRemove) globalRemove = Listeners::globalRemove;
};
const RegistryListener registryListener;
struct SeatListener {
  decltype(&Listeners::seat) global = Listeners::seat;
  decltype(&Listeners::globalRemove) globalRemove = Listeners::globalRemove;
};
const SeatListener seatListener;
struct BufferListener {
  decltype(&Listeners::release) release = Listeners::release;
};
const BufferListener bufferListener;

using Implementation = void (**)(void);

}  // namespace

bool waylandHasSeat() {
  const WaylandPixels::Library* wl = loadLibrary();
  if (!wl) return true;  // SDL will find out for itself
  wl_display* display = wl->wl_display_connect(nullptr);
  if (!display) return true;
  bool found = false;
  wl_proxy* registry = request(*wl, display, kDisplayGetRegistry, wl->registry, {object(nullptr)});
  wl->wl_proxy_add_listener(
      registry, reinterpret_cast<Implementation>(const_cast<SeatListener*>(&seatListener)), &found);
  wl->wl_display_roundtrip(display);
  wl->wl_proxy_destroy(registry);
  wl->wl_display_disconnect(display);
  return found;
}

std::unique_ptr<WaylandPixels> WaylandPixels::open(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
  const Library* wl = loadLibrary();
  if (!wl) return nullptr;
  std::unique_ptr<WaylandPixels> pixels(new WaylandPixels);
  pixels->wl_ = wl;
  pixels->display_ = info.info.wl.display;
  auto* display = static_cast<wl_display*>(pixels->display_);
  // Our own queue: SDL's dispatching never runs our listeners, nor ours SDL's.
  pixels->queue_ = wl->wl_display_create_queue(display);
  auto* wrapper = static_cast<wl_proxy*>(wl->wl_proxy_create_wrapper(display));
  wl->wl_proxy_set_queue(wrapper, static_cast<wl_event_queue*>(pixels->queue_));
  pixels->registry_ = request(*wl, wrapper, kDisplayGetRegistry, wl->registry, {object(nullptr)});
  wl->wl_proxy_wrapper_destroy(wrapper);
  pixels->binding_ = {wl, &pixels->shm_};
  wl->wl_proxy_add_listener(
      static_cast<wl_proxy*>(pixels->registry_),
      reinterpret_cast<Implementation>(const_cast<RegistryListener*>(&registryListener)),
      &pixels->binding_);
  wl->wl_display_roundtrip_queue(display, static_cast<wl_event_queue*>(pixels->queue_));
  if (!pixels->shm_) return nullptr;
  return pixels;
}

WaylandPixels::~WaylandPixels() {
  while (!surfaces_.empty()) forget(surfaces_.back()->window, true);
  if (shm_) wl_->wl_proxy_destroy(static_cast<wl_proxy*>(shm_));
  if (registry_) wl_->wl_proxy_destroy(static_cast<wl_proxy*>(registry_));
  if (queue_) wl_->wl_event_queue_destroy(static_cast<wl_event_queue*>(queue_));
}

int WaylandPixels::fd() const {
  return wl_->wl_display_get_fd(static_cast<wl_display*>(display_));
}

bool WaylandPixels::lost() const {
  return wl_->wl_display_get_error(static_cast<wl_display*>(display_)) != 0;
}

void WaylandPixels::flush() {
  wl_->wl_display_flush(static_cast<wl_display*>(display_));
}

void WaylandPixels::takeReleases() {
  wl_->wl_display_dispatch_queue_pending(static_cast<wl_display*>(display_),
                                         static_cast<wl_event_queue*>(queue_));
}

WaylandPixels::Surface& WaylandPixels::surfaceOf(SDL_Window* window, void* wlSurface, int width,
                                                 int height) {
  for (auto& surface : surfaces_) {
    if (surface->window != window) continue;
    if (surface->width == width && surface->height == height) return *surface;
    forget(window, true);  // a new size: new buffers
    break;
  }
  auto surface = std::make_unique<Surface>();
  surface->window = window;
  surface->proxy = static_cast<wl_proxy*>(wlSurface);
  surface->width = width;
  surface->height = height;
  surfaces_.push_back(std::move(surface));
  return *surfaces_.back();
}

WaylandPixels::Buffer* WaylandPixels::freeBuffer(Surface& surface) {
  if (surface.current && !surface.current->busy) return surface.current;
  for (auto& buffer : surface.buffers) {
    if (!buffer->busy) return buffer.get();
  }
  if (static_cast<int>(surface.buffers.size()) >= kMostBuffers) return surface.current;
  const int stride = surface.width * 4;
  const std::size_t bytes = static_cast<std::size_t>(stride) * surface.height;
  const int fd = memfd_create("velloran-window", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  void* memory = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
    memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  if (memory == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  auto buffer = std::make_unique<Buffer>();
  buffer->pixels = static_cast<std::uint32_t*>(memory);
  buffer->fd = fd;  // kept until the buffer goes: the request carries it when it is sent
  buffer->bytes = bytes;
  buffer->stale = {{0, 0, surface.width, surface.height}};
  wl_proxy* pool = request(*wl_, shm_, kShmCreatePool, wl_->pool,
                           {object(nullptr), number(fd), number(static_cast<std::int32_t>(bytes))});
  buffer->proxy = request(*wl_, pool, kPoolCreateBuffer, wl_->buffer,
                          {object(nullptr), number(0), number(surface.width),
                           number(surface.height), number(stride), number(kFormatXrgb8888)});
  request(*wl_, pool, kPoolDestroy, nullptr, {}, WL_MARSHAL_FLAG_DESTROY);
  wl_->wl_proxy_add_listener(
      buffer->proxy, reinterpret_cast<Implementation>(const_cast<BufferListener*>(&bufferListener)),
      buffer.get());
  surface.buffers.push_back(std::move(buffer));
  return surface.buffers.back().get();
}

bool WaylandPixels::show(SDL_Window* window, const Picture& picture,
                         const std::vector<Rect>& rects) {
  // A buffer on a window before the compositor has configured it breaks the protocol: a
  // hidden window is drawn whole when it is shown.
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN)) return true;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return false;
  if (picture.empty()) return true;
  takeReleases();
  // The window may be smaller than its picture (the game's world is larger than the table).
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  if (width <= 0 || height <= 0) return true;
  Surface& surface = surfaceOf(window, info.info.wl.surface, width, height);
  Buffer* buffer = freeBuffer(surface);
  if (!buffer) return false;
  const Rect whole{0, 0, surface.width, surface.height};
  // What the buffer missed meanwhile comes from the one the window shows; the rest from
  // the picture.
  if (surface.current && buffer != surface.current) {
    for (const Rect& rect : buffer->stale) {
      copyRect(buffer->pixels, surface.current->pixels, surface.width, intersection(rect, whole));
    }
  }
  buffer->stale.clear();
  std::vector<Rect> drawn;
  const Rect shown = intersection(whole, {0, 0, picture.width(), picture.height()});
  for (const Rect& rect : surface.attached ? rects : std::vector<Rect>{whole}) {
    const Rect area = intersection(rect, shown);
    if (area.empty()) continue;
    for (int y = area.y; y < area.y + area.height; ++y) {
      std::memcpy(buffer->pixels + y * surface.width + area.x, picture.row(y) + area.x,
                  static_cast<std::size_t>(area.width) * 4);
    }
    drawn.push_back(area);
  }
  for (auto& other : surface.buffers) {
    if (other.get() == buffer) continue;
    for (const Rect& rect : drawn) other->stale.push_back(rect);
    // Many small changes are taken as one: their bounds.
    if (other->stale.size() > 32) {
      Rect all = other->stale.front();
      for (const Rect& rect : other->stale) all = bounds(all, rect);
      other->stale = {all};
    }
  }
  if (drawn.empty() && surface.attached) return true;
  request(*wl_, surface.proxy, kSurfaceAttach, nullptr,
          {object(buffer->proxy), number(0), number(0)});
  const bool byBuffer = wl_->wl_proxy_get_version(surface.proxy) >= 4;
  for (const Rect& area : drawn) {
    if (area.empty()) continue;
    request(*wl_, surface.proxy, byBuffer ? kSurfaceDamageBuffer : kSurfaceDamage, nullptr,
            {number(area.x), number(area.y), number(area.width), number(area.height)});
  }
  request(*wl_, surface.proxy, kSurfaceCommit, nullptr, {});
  buffer->busy = true;
  surface.current = buffer;
  surface.attached = true;
  flush();
  return true;
}

void WaylandPixels::commit(SDL_Window* window) {
  for (auto& surface : surfaces_) {
    if (surface->window != window || !surface->attached) continue;
    request(*wl_, surface->proxy, kSurfaceCommit, nullptr, {});
    flush();
  }
}

void WaylandPixels::forget(SDL_Window* window, bool closing) {
  for (auto it = surfaces_.begin(); it != surfaces_.end(); ++it) {
    Surface& surface = **it;
    if (surface.window != window) continue;
    if (!closing) {
      surface.attached = false;  // SDL took the buffer off the hidden window
      return;
    }
    for (auto& buffer : surface.buffers) {
      request(*wl_, buffer->proxy, kBufferDestroy, nullptr, {}, WL_MARSHAL_FLAG_DESTROY);
      munmap(buffer->pixels, buffer->bytes);
      close(buffer->fd);
    }
    surfaces_.erase(it);
    return;
  }
}

}  // namespace velloran::rt
