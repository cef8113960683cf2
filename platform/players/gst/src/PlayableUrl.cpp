#include "PlayableUrl.h"

#include <gst/gst.h>

#include <array>

namespace players {

namespace {

// Pages tag adaptive streams with the kind of manifest after a '|'. The
// pipeline recognises a manifest from its content, so the tag is dropped
// rather than used to pick a demuxer.
constexpr std::array<const char*, 2> kStreamingTags = {"|COMPONENT=HAS", "|COMPONENT=HLS"};

// Longer than any server accepts in a request line; refusing it here keeps
// a megabyte of text out of every element that logs the URI.
constexpr size_t kMaxUriLength = 64 * 1024;

std::string WithoutStreamingTag(const std::string& url) {
  for (const std::string tag : kStreamingTags) {
    if (url.size() > tag.size() &&
        url.compare(url.size() - tag.size(), tag.size(), tag) == 0) {
      return url.substr(0, url.size() - tag.size());
    }
  }
  return url;
}

// A local file needs a path; anything else needs a host to go to.
bool HasWhereToGo(const std::string& uri) {
  GstUri* parsed = gst_uri_from_string(uri.c_str());
  if (parsed == nullptr) return false;
  const gchar* scheme = gst_uri_get_scheme(parsed);
  const gchar* host = gst_uri_get_host(parsed);
  gchar* path = gst_uri_get_path(parsed);
  const bool local = scheme != nullptr && g_ascii_strcasecmp(scheme, "file") == 0;
  const bool ok = local ? (path != nullptr && path[0] == '/') : (host != nullptr && host[0] != '\0');
  g_free(path);
  gst_uri_unref(parsed);
  return ok;
}

bool SourceExistsFor(const std::string& uri) {
  gchar* protocol = gst_uri_get_protocol(uri.c_str());
  const bool supported = protocol != nullptr && gst_uri_protocol_is_supported(GST_URI_SRC, protocol);
  g_free(protocol);
  return supported;
}

}  // namespace

bool IsLocalFile(const std::string& uri) {
  gchar* protocol = gst_uri_get_protocol(uri.c_str());
  const bool local = protocol != nullptr && g_ascii_strcasecmp(protocol, "file") == 0;
  g_free(protocol);
  return local;
}

std::optional<std::string> PlayableUri(const std::string& playerUrl) {
  const std::string uri = WithoutStreamingTag(playerUrl);
  if (uri.empty() || uri.size() > kMaxUriLength) return std::nullopt;
  if (!gst_uri_is_valid(uri.c_str()) || !SourceExistsFor(uri) || !HasWhereToGo(uri)) {
    return std::nullopt;
  }
  return uri;
}

}  // namespace players
