#include "ErrorClasses.h"

#include <array>

#include "PlayableUrl.h"
#include "PlayerEvents.h"

namespace players {

namespace {

// GStreamer's error domains, and kStall for a run that went quiet: it
// never got going, or stopped buffering, within the stall timeout.
enum class Domain { kCore, kLibrary, kResource, kStream, kOther, kStall };

// Who posted the error. A network source's failure to deliver data means
// the server could not be reached or dropped the connection: on the
// loopback a refused connection surfaces only as the source's flow error
// (STREAM FAILED), followed by typefinding giving up on no data.
enum class Origin { kAnyElement, kNetworkSource };

struct ErrorRule {
  Domain domain;
  int code;
  Origin origin;
  int event;
};

// First matching rule wins; no rule means kEventFailed.
constexpr std::array<ErrorRule, 15> kErrorRules = {{
    // A server that accepts and never answers. A local file that never
    // starts is one a demuxer gave up on without a word: decodebin drops
    // the errors of an element it is still bringing up.
    {Domain::kStall, 0, Origin::kNetworkSource, kEventUnreachable},
    {Domain::kStall, 0, Origin::kAnyElement, kEventCorrupt},
    {Domain::kResource, GST_RESOURCE_ERROR_NOT_FOUND, Origin::kAnyElement, kEventNotFound},
    {Domain::kResource, GST_RESOURCE_ERROR_OPEN_READ, Origin::kNetworkSource, kEventUnreachable},
    {Domain::kResource, GST_RESOURCE_ERROR_OPEN_READ_WRITE, Origin::kNetworkSource,
     kEventUnreachable},
    {Domain::kResource, GST_RESOURCE_ERROR_READ, Origin::kNetworkSource, kEventUnreachable},
    {Domain::kResource, GST_RESOURCE_ERROR_FAILED, Origin::kNetworkSource, kEventUnreachable},
    {Domain::kStream, GST_STREAM_ERROR_FAILED, Origin::kNetworkSource, kEventUnreachable},
    {Domain::kStream, GST_STREAM_ERROR_TYPE_NOT_FOUND, Origin::kAnyElement, kEventUnsupported},
    {Domain::kStream, GST_STREAM_ERROR_CODEC_NOT_FOUND, Origin::kAnyElement, kEventUnsupported},
    {Domain::kStream, GST_STREAM_ERROR_WRONG_TYPE, Origin::kAnyElement, kEventUnsupported},
    {Domain::kCore, GST_CORE_ERROR_MISSING_PLUGIN, Origin::kAnyElement, kEventUnsupported},
    {Domain::kStream, GST_STREAM_ERROR_DEMUX, Origin::kAnyElement, kEventCorrupt},
    {Domain::kStream, GST_STREAM_ERROR_DECODE, Origin::kAnyElement, kEventCorrupt},
    {Domain::kStream, GST_STREAM_ERROR_FORMAT, Origin::kAnyElement, kEventCorrupt},
}};

Domain DomainOf(const GError* error) {
  if (error->domain == GST_CORE_ERROR) return Domain::kCore;
  if (error->domain == GST_LIBRARY_ERROR) return Domain::kLibrary;
  if (error->domain == GST_RESOURCE_ERROR) return Domain::kResource;
  if (error->domain == GST_STREAM_ERROR) return Domain::kStream;
  return Domain::kOther;
}

// A source element reading from anywhere but the local file system.
bool IsNetworkSource(GstObject* object) {
  if (!GST_IS_ELEMENT(object) || !GST_IS_URI_HANDLER(object)) return false;
  GstURIHandler* handler = GST_URI_HANDLER(object);
  if (gst_uri_handler_get_uri_type(handler) != GST_URI_SRC) return false;
  gchar* uri = gst_uri_handler_get_uri(handler);
  const bool network = uri != nullptr && !IsLocalFile(uri);
  g_free(uri);
  return network;
}

int EventFor(Domain domain, int code, bool fromNetworkSource) {
  for (const ErrorRule& rule : kErrorRules) {
    if (rule.domain != domain || rule.code != code) continue;
    if (rule.origin == Origin::kNetworkSource && !fromNetworkSource) continue;
    return rule.event;
  }
  return kEventFailed;
}

}  // namespace

int StallEventFor(bool networkSource) { return EventFor(Domain::kStall, 0, networkSource); }

int ErrorEventFor(GstMessage* message) {
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  if (error == nullptr) return kEventFailed;
  const int event = EventFor(DomainOf(error), error->code, IsNetworkSource(GST_MESSAGE_SRC(message)));
  g_error_free(error);
  return event;
}

}  // namespace players
