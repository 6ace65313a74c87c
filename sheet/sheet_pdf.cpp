#include "sheet/sheet_pdf.h"

#include <dlfcn.h>

#include <memory>
#include <stdexcept>

#include <cairo-pdf.h>
#include <librsvg/rsvg.h>

namespace brimalox::sheet {

namespace {

// librsvg (with cairo and GLib, which it brings) is loaded when a PDF is asked for, not when the
// program starts: linked, its fifty-odd libraries made every `brimalox-cli design` start four times
// slower. The
// headers still give every function its type.
constexpr const char* kLibrary = "librsvg-2.so.2";

struct Rsvg {
    decltype(&rsvg_handle_new_from_data) newFromData;
    decltype(&rsvg_handle_render_document) renderDocument;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_error_free) errorFree;
    decltype(&cairo_pdf_surface_create_for_stream) pdfSurface;
    decltype(&cairo_surface_finish) surfaceFinish;
    decltype(&cairo_surface_status) surfaceStatus;
    decltype(&cairo_surface_destroy) surfaceDestroy;
    decltype(&cairo_create) create;
    decltype(&cairo_show_page) showPage;
    decltype(&cairo_destroy) destroy;
    decltype(&cairo_status_to_string) statusText;
};

template <typename Function>
void bind(void* library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function) throw std::runtime_error(std::string("cannot make a PDF: ") + kLibrary + " has no " + name);
}

// Loaded once and kept for the process (GLib's types cannot be unloaded).
const Rsvg& rsvg() {
    static const Rsvg loaded = [] {
        void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw std::runtime_error(std::string("cannot make a PDF without librsvg (Debian: librsvg2-2): ") +
                                     dlerror());
        Rsvg r{};
        bind(library, r.newFromData, "rsvg_handle_new_from_data");
        bind(library, r.renderDocument, "rsvg_handle_render_document");
        bind(library, r.objectUnref, "g_object_unref");
        bind(library, r.errorFree, "g_error_free");
        bind(library, r.pdfSurface, "cairo_pdf_surface_create_for_stream");
        bind(library, r.surfaceFinish, "cairo_surface_finish");
        bind(library, r.surfaceStatus, "cairo_surface_status");
        bind(library, r.surfaceDestroy, "cairo_surface_destroy");
        bind(library, r.create, "cairo_create");
        bind(library, r.showPage, "cairo_show_page");
        bind(library, r.destroy, "cairo_destroy");
        bind(library, r.statusText, "cairo_status_to_string");
        return r;
    }();
    return loaded;
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::runtime_error failure(const Rsvg& r, const char* what, GError* error) {
    std::runtime_error e(std::string(what) + (error ? std::string(": ") + error->message : std::string()));
    if (error) r.errorFree(error);
    return e;
}

}  // namespace

std::string svgToPdf(const std::string& svg, Paper paper) {
    const auto [widthMm, heightMm, widthPt, heightPt] = paperSize(paper);
    const Rsvg& r = rsvg();
    GError* error = nullptr;
    const std::unique_ptr<RsvgHandle, decltype(r.objectUnref)> handle(
        r.newFromData(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error), r.objectUnref);
    if (!handle) throw failure(r, "cannot read the sheet's SVG", error);

    std::string pdf;
    const std::unique_ptr<cairo_surface_t, decltype(r.surfaceDestroy)> surface(
        r.pdfSurface(append, &pdf, widthPt, heightPt), r.surfaceDestroy);
    const std::unique_ptr<cairo_t, decltype(r.destroy)> cairo(r.create(surface.get()), r.destroy);
    const RsvgRectangle page{0, 0, widthPt, heightPt};
    if (!r.renderDocument(handle.get(), cairo.get(), &page, &error)) throw failure(r, "cannot draw the sheet", error);
    r.showPage(cairo.get());
    r.surfaceFinish(surface.get());
    if (r.surfaceStatus(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot make the PDF: ") + r.statusText(r.surfaceStatus(surface.get())));
    return pdf;
}

}  // namespace brimalox::sheet
