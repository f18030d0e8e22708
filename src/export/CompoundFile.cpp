#include "export/CompoundFile.h"

#include <gsf/gsf-infile.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>
#include <mutex>

namespace {

void InitGsfOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

std::string TakeMessage(GError *err, const char *fallback)
{
    std::string message = err && err->message ? err->message : fallback;
    if (err)
        g_error_free(err);
    return message;
}

} // namespace

bool WriteSingleStreamCompoundFile(const char *path, const char *streamName, const unsigned char *data,
                                   std::size_t size, std::string &error)
{
    InitGsfOnce();
    GError *err = nullptr;
    GsfOutput *sink = gsf_output_stdio_new(path, &err);
    if (!sink) {
        error = TakeMessage(err, "cannot create the file");
        return false;
    }
    GsfOutfile *ole = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    GsfOutput *stream = gsf_outfile_new_child(ole, streamName, FALSE);
    bool ok = stream != nullptr;
    // gsf_output_write takes at most a chunk at a time on some versions; feed it pieces.
    constexpr std::size_t chunk = 1 << 20;
    for (std::size_t at = 0; ok && at < size; at += chunk) {
        const std::size_t n = size - at < chunk ? size - at : chunk;
        ok = gsf_output_write(stream, n, data + at);
    }
    if (stream) {
        ok = gsf_output_close(stream) && ok;
        g_object_unref(stream);
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
    if (!ok) {
        const GError *e = gsf_output_error(GSF_OUTPUT(ole));
        error = e && e->message ? e->message : "cannot write the compound file";
    }
    g_object_unref(ole);
    return ok;
}
