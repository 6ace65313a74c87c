#include "cli/sheet_pdf.h"

#include <memory>
#include <stdexcept>

#include <cairo-pdf.h>
#include <librsvg/rsvg.h>

namespace brimalox::cli {

namespace {

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::runtime_error failure(const char* what, GError* error) {
    std::runtime_error e(std::string(what) + (error ? std::string(": ") + error->message : std::string()));
    if (error) g_error_free(error);
    return e;
}

}  // namespace

std::string svgToPdf(const std::string& svg, double widthPt, double heightPt) {
    GError* error = nullptr;
    const std::unique_ptr<RsvgHandle, decltype(&g_object_unref)> handle(
        rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error), g_object_unref);
    if (!handle) throw failure("cannot read the sheet's SVG", error);

    std::string pdf;
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_pdf_surface_create_for_stream(append, &pdf, widthPt, heightPt), cairo_surface_destroy);
    const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cairo(cairo_create(surface.get()), cairo_destroy);
    const RsvgRectangle page{0, 0, widthPt, heightPt};
    if (!rsvg_handle_render_document(handle.get(), cairo.get(), &page, &error))
        throw failure("cannot draw the sheet", error);
    cairo_show_page(cairo.get());
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot make the PDF: ") +
                                 cairo_status_to_string(cairo_surface_status(surface.get())));
    return pdf;
}

}  // namespace brimalox::cli
