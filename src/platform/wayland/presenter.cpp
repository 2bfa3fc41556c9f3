#include "platform/wayland/presenter.h"

#include <poll.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include <presentation-time-client-protocol.h>

struct WaylandPresenter::State {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr;  // the display on this queue
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
    wp_presentation* presentation = nullptr;
    bool clockNamed = false;
    clockid_t clock = CLOCK_MONOTONIC;
    std::int64_t offsetNanoseconds = 0;  // added to the presentation clock's times

    wl_surface* surface = nullptr;
    wl_subsurface* subsurface = nullptr;
    int scale = 1;
    bool mapped = false;  // a buffer is attached

    // The transparent square shown to learn of a refresh, and the word pictures.
    void* blankMemory = nullptr;
    std::size_t blankSize = 0;
    wl_buffer* blank = nullptr;
    void* memory = nullptr;
    std::size_t memorySize = 0;
    std::vector<wl_buffer*> buffers;
    int width = 0;
    int height = 0;

    // The feedback awaited, and its report once it came.
    struct wp_presentation_feedback* pending = nullptr;
    bool reported = false;
    bool presented = false;
    std::uint64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
    std::uint32_t interval = 0;  // nanoseconds to the next refresh, 0 when not known
    std::uint64_t sequence = 0;
    std::uint32_t flags = 0;
    RefreshCounter counter;

    MonotonicClock monotonic;

    void freePictures();
    ~State();
};

namespace {

using State = WaylandPresenter::State;

std::int64_t nanosecondsOf(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Waits until the moment on the monotonic clock: asleep until shortly before, then
// reading the clock, so that the moment is met closely and the process never spins
// long enough to be throttled at real-time priority.
void waitUntil(MonotonicClock& clock, std::int64_t moment)
{
    constexpr std::int64_t spin = 1000;
    if (clock.nowMicroseconds() < moment - spin)
        clock.sleepUntil(moment - spin);
    while (clock.nowMicroseconds() < moment) {
    }
}

void feedbackSyncOutput(void*, struct wp_presentation_feedback*, wl_output*) {}
void feedbackPresented(void* data, struct wp_presentation_feedback* feedback, std::uint32_t secondsHigh,
                       std::uint32_t secondsLow, std::uint32_t nanoseconds, std::uint32_t interval,
                       std::uint32_t sequenceHigh, std::uint32_t sequenceLow, std::uint32_t flags)
{
    auto* s = static_cast<State*>(data);
    if (feedback == s->pending) {
        s->pending = nullptr;
        s->reported = true;
        s->presented = true;
        s->seconds = (std::uint64_t(secondsHigh) << 32) | secondsLow;
        s->nanoseconds = nanoseconds;
        s->interval = interval;
        s->sequence = (std::uint64_t(sequenceHigh) << 32) | sequenceLow;
        s->flags = flags;
    }
    wp_presentation_feedback_destroy(feedback);
}
void feedbackDiscarded(void* data, struct wp_presentation_feedback* feedback)
{
    auto* s = static_cast<State*>(data);
    if (feedback == s->pending) {
        s->pending = nullptr;
        s->reported = true;
        s->presented = false;
    }
    wp_presentation_feedback_destroy(feedback);
}
const wp_presentation_feedback_listener feedbackEvents = {feedbackSyncOutput, feedbackPresented, feedbackDiscarded};

void presentationClock(void* data, wp_presentation*, std::uint32_t clock)
{
    auto* s = static_cast<State*>(data);
    s->clockNamed = true;
    s->clock = static_cast<clockid_t>(clock);
}
const wp_presentation_listener presentationEvents = {presentationClock};

void registryGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto* s = static_cast<State*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && s->compositor == nullptr && version >= 3) {
        // Version 3 sets the buffer scale.
        s->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 3));
    } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0 && s->subcompositor == nullptr) {
        s->subcompositor = static_cast<wl_subcompositor*>(wl_registry_bind(registry, name, &wl_subcompositor_interface,
                                                                           1));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && s->shm == nullptr) {
        s->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wp_presentation_interface.name) == 0 && s->presentation == nullptr) {
        s->presentation = static_cast<wp_presentation*>(wl_registry_bind(registry, name, &wp_presentation_interface,
                                                                         1));
        wp_presentation_add_listener(s->presentation, &presentationEvents, s);
    }
}
void registryGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener registryEvents = {registryGlobal, registryGlobalRemove};

// Shared memory of `size` bytes mapped here, and a pool of it for the compositor;
// nullptr when it cannot be made.
wl_shm_pool* makePool(wl_shm* shm, std::size_t size, void** memory)
{
    const int fd = memfd_create("truv-word-pictures", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    wl_shm_pool* pool = nullptr;
    if (size <= INT32_MAX && ftruncate(fd, static_cast<off_t>(size)) == 0) {
        void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped != MAP_FAILED) {
            *memory = mapped;
            pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size));
        }
    }
    close(fd);
    return pool;
}

// Handles this queue's events until flag is set or the deadline (monotonic
// microseconds) has passed; whether it is set. Reads the connection itself, as any
// thread of the toolkit may: what it reads for the toolkit's queue stays there, for
// the toolkit to handle when its event loop next wakes.
bool awaitFlag(State& s, const bool& flag, std::int64_t deadline)
{
    const int fd = wl_display_get_fd(s.display);
    while (!flag) {
        if (wl_display_dispatch_queue_pending(s.display, s.queue) < 0)
            return false;
        if (flag)
            break;
        const std::int64_t left = deadline - s.monotonic.nowMicroseconds();
        if (left <= 0)
            return false;
        // Events already queued here are handled before reading more.
        if (wl_display_prepare_read_queue(s.display, s.queue) != 0)
            continue;
        wl_display_flush(s.display);
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>((left + 999) / 1000)) > 0) {
            if (wl_display_read_events(s.display) < 0)
                return false;
        } else {
            wl_display_cancel_read(s.display);
        }
    }
    return true;
}

}  // namespace

void State::freePictures()
{
    for (wl_buffer* buffer : buffers)
        wl_buffer_destroy(buffer);
    buffers.clear();
    if (memory != nullptr)
        munmap(memory, memorySize);
    memory = nullptr;
    memorySize = 0;
}

State::~State()
{
    if (pending != nullptr)
        wp_presentation_feedback_destroy(pending);
    if (subsurface != nullptr)
        wl_subsurface_destroy(subsurface);
    if (surface != nullptr)
        wl_surface_destroy(surface);
    freePictures();
    if (blank != nullptr)
        wl_buffer_destroy(blank);
    if (blankMemory != nullptr)
        munmap(blankMemory, blankSize);
    if (presentation != nullptr)
        wp_presentation_destroy(presentation);
    if (shm != nullptr)
        wl_shm_destroy(shm);
    if (subcompositor != nullptr)
        wl_subcompositor_destroy(subcompositor);
    if (compositor != nullptr)
        wl_compositor_destroy(compositor);
    if (registry != nullptr)
        wl_registry_destroy(registry);
    if (wrapper != nullptr)
        wl_proxy_wrapper_destroy(wrapper);
    if (display != nullptr)
        wl_display_flush(display);
    if (queue != nullptr)
        wl_event_queue_destroy(queue);
}

namespace {

// The presentation clock against ours, from readings of both back to back; nothing to
// measure when it is ours.
void measureClockOffset(WaylandPresenter::State& s)
{
    if (s.clock == CLOCK_MONOTONIC)
        return;
    ClockReading readings[8];
    for (ClockReading& r : readings) {
        r.monotonicBefore = nanosecondsOf(CLOCK_MONOTONIC);
        r.other = nanosecondsOf(s.clock);
        r.monotonicAfter = nanosecondsOf(CLOCK_MONOTONIC);
    }
    s.offsetNanoseconds = monotonicOffset(readings, 8);
}

}  // namespace

std::unique_ptr<WaylandPresenter> WaylandPresenter::open(wl_display* display, wl_surface* parent, int x, int y,
                                                         int scale, const std::function<void()>& commitParent,
                                                         std::string& why)
{
    if (display == nullptr || parent == nullptr || scale < 1) {
        why = "the word area has no Wayland surface";
        return nullptr;
    }
    auto s = std::make_unique<State>();
    const std::int64_t opened = s->monotonic.nowMicroseconds();
    s->display = display;
    s->scale = scale;
    s->queue = wl_display_create_queue(display);
    s->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (s->queue == nullptr || s->wrapper == nullptr) {
        why = "no event queue on the compositor's connection";
        return nullptr;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(s->wrapper), s->queue);
    s->registry = wl_display_get_registry(s->wrapper);
    wl_registry_add_listener(s->registry, &registryEvents, s.get());
    // The globals, then the presentation clock's name.
    for (int i = 0; i < 2; ++i) {
        if (wl_display_roundtrip_queue(display, s->queue) < 0) {
            why = "the connection to the compositor failed";
            return nullptr;
        }
    }
    if (s->presentation == nullptr) {
        why = "the compositor offers no presentation time (wp_presentation)";
        return nullptr;
    }
    if (s->compositor == nullptr || s->subcompositor == nullptr || s->shm == nullptr) {
        why = "the compositor offers no subsurfaces or shared memory";
        return nullptr;
    }
    if (!s->clockNamed) {
        why = "the compositor did not name its presentation clock";
        return nullptr;
    }
    measureClockOffset(*s);

    // The transparent square: one pixel of the surface at the buffer scale.
    s->blankSize = static_cast<std::size_t>(scale) * scale * 4;
    wl_shm_pool* pool = makePool(s->shm, s->blankSize, &s->blankMemory);
    if (pool == nullptr) {
        why = "no shared memory for the word pictures";
        return nullptr;
    }
    std::memset(s->blankMemory, 0, s->blankSize);
    s->blank = wl_shm_pool_create_buffer(pool, 0, scale, scale, scale * 4, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);

    // A surface of its own over the frame's, which takes no input: the pointer and the
    // keyboard stay with the frame's surface beneath. Its place applies at the frame's
    // next commit.
    s->surface = wl_compositor_create_surface(s->compositor);
    s->subsurface = wl_subcompositor_get_subsurface(s->subcompositor, s->surface, parent);
    wl_subsurface_set_position(s->subsurface, x, y);
    wl_subsurface_set_desync(s->subsurface);
    wl_region* none = wl_compositor_create_region(s->compositor);
    wl_surface_set_input_region(s->surface, none);
    wl_region_destroy(none);
    wl_surface_set_buffer_scale(s->surface, scale);

    wl_display_flush(display);
    commitParent();

    // The first frame that shows the frame's new state may take long (a whole new
    // buffer of the toolkit's): the first report is given a second.
    auto presenter = std::unique_ptr<WaylandPresenter>(new WaylandPresenter(std::move(s)));
    const std::optional<Refresh> refresh = presenter->nextRefresh(opened + 1'000'000);
    if (!refresh) {
        const State& state = *presenter->s_;
        why = !state.reported   ? "the compositor reported no presentation"
              : state.presented ? "the compositor reports neither a refresh counter nor its refresh interval"
                                : "the compositor discarded the first presentation";
        return nullptr;
    }
    const std::int64_t now = presenter->s_->monotonic.nowMicroseconds();
    if (refresh->time < opened - 1'000'000 || refresh->time > now + 1'000) {
        why = "the compositor's presentation times are not on this machine's monotonic clock";
        return nullptr;
    }
    if (!presenter->learnLead()) {
        why = "the compositor stopped reporting presentations";
        return nullptr;
    }
    return presenter;
}

WaylandPresenter::WaylandPresenter(std::unique_ptr<State> state) : s_(std::move(state)) {}

WaylandPresenter::~WaylandPresenter() = default;

bool WaylandPresenter::prepare(int count, int width, int height)
{
    withdraw();
    s_->freePictures();
    if (count < 0 || width <= 0 || height <= 0 || width > 16384 || height > 16384 || width % s_->scale != 0 ||
        height % s_->scale != 0)
        return false;
    s_->width = width;
    s_->height = height;
    if (count == 0)
        return true;
    const std::size_t pictureSize = static_cast<std::size_t>(width) * height * 4;
    s_->memorySize = pictureSize * static_cast<std::size_t>(count);
    wl_shm_pool* pool = makePool(s_->shm, s_->memorySize, &s_->memory);
    if (pool == nullptr) {
        s_->memory = nullptr;
        s_->memorySize = 0;
        return false;
    }
    for (int i = 0; i < count; ++i)
        s_->buffers.push_back(wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(pictureSize * i), width, height,
                                                        width * 4, WL_SHM_FORMAT_XRGB8888));
    wl_shm_pool_destroy(pool);
    // Every buffer made before the first word: an error here is seen now, not then.
    return wl_display_roundtrip_queue(s_->display, s_->queue) >= 0;
}

bool WaylandPresenter::upload(int index, const std::uint32_t* pixels, int stride)
{
    if (index < 0 || index >= static_cast<int>(s_->buffers.size()))
        return false;
    // The pixels are 0xffRRGGBB words: XRGB8888 as it is, row by row.
    const std::size_t rowBytes = static_cast<std::size_t>(s_->width) * 4;
    auto* picture = static_cast<std::uint8_t*>(s_->memory) + rowBytes * s_->height * index;
    for (int r = 0; r < s_->height; ++r)
        std::memcpy(picture + rowBytes * r, reinterpret_cast<const std::uint8_t*>(pixels) + std::size_t(stride) * r,
                    rowBytes);
    return true;
}

std::optional<Refresh> WaylandPresenter::present(int index, Refresh target, std::int64_t deadlineMicroseconds)
{
    if (index < 0 || index >= static_cast<int>(s_->buffers.size()))
        return std::nullopt;
    // Committed now the picture would be shown at the compositor's next refresh: held
    // here until its lead before the target.
    if (target.count != 0)
        waitUntil(s_->monotonic, target.time - lead_);
    wl_surface_attach(s_->surface, s_->buffers[index], 0, 0);
    wl_surface_damage(s_->surface, 0, 0, INT32_MAX, INT32_MAX);
    s_->mapped = true;
    return commitAndAwait(deadlineMicroseconds, nullptr);
}

std::optional<Refresh> WaylandPresenter::nextRefresh(std::int64_t deadlineMicroseconds)
{
    // Asked as each block opens: the presentation clock's offset is measured afresh
    // (a clock such as CLOCK_MONOTONIC_RAW drifts against ours).
    measureClockOffset(*s_);
    wl_surface_attach(s_->surface, s_->blank, 0, 0);
    wl_surface_damage(s_->surface, 0, 0, INT32_MAX, INT32_MAX);
    s_->mapped = true;
    const std::optional<Refresh> refresh = commitAndAwait(deadlineMicroseconds, nullptr);
    withdraw();
    return refresh;
}

void WaylandPresenter::withdraw()
{
    if (!s_->mapped)
        return;
    wl_surface_attach(s_->surface, nullptr, 0, 0);
    wl_surface_commit(s_->surface);
    wl_display_flush(s_->display);
    s_->mapped = false;
}

std::optional<Refresh> WaylandPresenter::commitAndAwait(std::int64_t deadline, std::int64_t* committed)
{
    State& s = *s_;
    // An earlier feedback that never came is given up.
    if (s.pending != nullptr)
        wp_presentation_feedback_destroy(s.pending);
    s.pending = wp_presentation_feedback(s.presentation, s.surface);
    wp_presentation_feedback_add_listener(s.pending, &feedbackEvents, &s);
    s.reported = false;
    wl_surface_commit(s.surface);
    if (committed != nullptr)
        *committed = s.monotonic.nowMicroseconds();
    wl_display_flush(s.display);
    if (!awaitFlag(s, s.reported, deadline) || !s.presented)
        return std::nullopt;
    const std::int64_t nanoseconds = static_cast<std::int64_t>(s.seconds) * 1'000'000'000 + s.nanoseconds +
                                     s.offsetNanoseconds;
    const bool retrace = (s.flags & WP_PRESENTATION_FEEDBACK_KIND_VSYNC) != 0;
    return s.counter.counted(nanoseconds / 1000, retrace ? s.sequence : 0, s.interval);
}

bool WaylandPresenter::learnLead()
{
    // A compositor that shows a commit at the first refresh at least its latency L
    // after it takes from L to L plus a refresh from commit to report. Committed at
    // moments spread over a refresh, the shortest and longest times found bound that
    // span, and a commit their middle before the target is shown at the target with
    // about half a refresh to spare either way. A compositor that draws a commit as soon
    // as it comes takes about the same time at every moment: the lead is that time.
    // Each commit waits a refresh or more after the last report, so that no frame in
    // progress holds it up.
    constexpr int steps = 8;
    RefreshClock refreshes;
    std::int64_t shortest = INT64_MAX;
    std::int64_t longest = 0;
    for (int k = 0; k < steps + 2; ++k) {
        // The first two, committed at once, tell the refresh interval.
        std::int64_t at = 0;
        if (refreshes.known()) {
            const double interval = refreshes.intervalMicroseconds();
            const Refresh base = refreshes.firstAtOrAfter(s_->monotonic.nowMicroseconds() +
                                                          static_cast<std::int64_t>(interval));
            at = base.time + static_cast<std::int64_t>(interval * (k - 2) / steps);
            waitUntil(s_->monotonic, at);
        }
        wl_surface_attach(s_->surface, s_->blank, 0, 0);
        wl_surface_damage(s_->surface, 0, 0, INT32_MAX, INT32_MAX);
        s_->mapped = true;
        std::int64_t committed = 0;
        const std::optional<Refresh> shown = commitAndAwait(s_->monotonic.nowMicroseconds() + 500'000, &committed);
        if (!shown) {
            withdraw();
            return false;
        }
        refreshes.observe(*shown);
        if (at != 0) {
            shortest = std::min(shortest, shown->time - committed);
            longest = std::max(longest, shown->time - committed);
        }
    }
    withdraw();
    if (!refreshes.known() || shortest == INT64_MAX)
        return false;
    lead_ = shortest + (longest - shortest) / 2;
    return true;
}
