// librsvg draws a prepared SVG document onto a cairo script surface; the script is read
// back into the strokes that reach the page.
#include "import/svg_renderer.h"

#include <cairo-script.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <memory>

namespace orlex {

namespace {

// Device units per millimetre: cairo keeps 24.8 fixed-point coordinates, so this gives
// 1/1024 mm steps and a range of +-2097 m.
constexpr double kUnitsPerMm = 4;
constexpr double kFixedLimit = 8388607; // the largest device coordinate cairo can hold
// The check drawing is this much smaller: coordinates that wrapped round in the first
// drawing show up there, scaled back, beyond kFixedLimit.
constexpr double kCheckRatio = 1000003;
// With fills kept, the drawing is turned by this much on the surface (and turned back as
// it is read): cairo's script surface fails on a fill whose path is all horizontal and
// vertical lines with one that encloses nothing (a line that inherits a fill), and hardly
// any path stays that way once turned.
constexpr double kFillTurn = 1.0 / 64;

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Handle = std::unique_ptr<RsvgHandle, GObjectUnref>;

std::string takeMessage(GError* error)
{
    std::string message = error != nullptr && error->message != nullptr ? error->message : "unknown error";
    if (error != nullptr)
        g_error_free(error);
    return message;
}

Result<Handle> load(const QByteArray& document)
{
    std::unique_ptr<GInputStream, GObjectUnref> stream(
        g_memory_input_stream_new_from_data(document.constData(), document.size(), nullptr));
    GError* error = nullptr;
    // No base file: librsvg can reach nothing outside the document. Unlimited: the
    // document was read once already within our own limits.
    Handle handle(rsvg_handle_new_from_stream_sync(stream.get(), nullptr, RSVG_HANDLE_FLAG_UNLIMITED, nullptr, &error));
    if (!handle)
        return failure("librsvg cannot read it: " + takeMessage(error));
    rsvg_handle_set_dpi(handle.get(), 96);
    return handle;
}

cairo_status_t writeScript(void* closure, const unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<CairoScriptReader*>(closure);
    return reader->feed(reinterpret_cast<const char*>(data), length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// Draws the document at `unitsPerMm` onto a script surface the size of the viewport and
// feeds the script to `reader`.
Result<void> draw(RsvgHandle* handle, const RenderRequest& request, double unitsPerMm, CairoScriptReader& reader)
{
    const double scale = unitsPerMm * request.mmPerViewportUnit;
    // The surface's size bounds the images cairo makes for masks; it does not bound what
    // is recorded.
    const double width = std::max(1.0, std::ceil(request.viewport.width() * scale));
    const double height = std::max(1.0, std::ceil(request.viewport.height() * scale));
    cairo_device_t* device = cairo_script_create_for_stream(writeScript, &reader);
    cairo_surface_t* surface = cairo_script_surface_create(device, CAIRO_CONTENT_COLOR_ALPHA, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    if (request.keepFills && unitsPerMm == kUnitsPerMm)
        cairo_rotate(cr, kFillTurn);
    const RsvgRectangle viewport{0, 0, request.viewport.width(), request.viewport.height()};
    GError* error = nullptr;
    const bool drawn = rsvg_handle_render_document(handle, cr, &viewport, &error);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
    cairo_device_finish(device);
    cairo_device_destroy(device);
    const bool read = reader.finish();
    if (reader.overflowed()) {
        if (error != nullptr)
            g_error_free(error);
        return failure("too many points", Error::Kind::TooBig);
    }
    if (!drawn)
        return failure("librsvg cannot draw it: " + takeMessage(error));
    if (!read)
        return failure("its drawing could not be followed: " + reader.error());
    return {};
}

} // namespace

Result<RenderedStrokes> renderStrokes(const QByteArray& document, const RenderRequest& request)
{
    auto handle = load(document);
    if (!handle)
        return handle.error();

    CairoScriptReader check({kUnitsPerMm / kCheckRatio, request.toleranceMm, 0});
    if (auto drawn = draw(handle->get(), request, kUnitsPerMm / kCheckRatio, check); !drawn)
        return drawn.error();
    if (check.largestCoordinate() * kCheckRatio > kFixedLimit)
        return failure("it has coordinates more than 2 km from the page, which cannot be drawn", Error::Kind::TooBig);

    CairoScriptReader reader(
        {kUnitsPerMm, request.toleranceMm, request.maxPoints, request.keepFills, request.keepFills ? kFillTurn : 0});
    if (auto drawn = draw(handle->get(), request, kUnitsPerMm, reader); !drawn)
        return drawn.error();
    return RenderedStrokes{std::move(reader.strokes()), reader.sawDashes(), std::move(reader.fills())};
}

} // namespace orlex
