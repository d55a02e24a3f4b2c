#pragma once
// The HTTP upload of a bug report: one HTTP/1.1 multipart/form-data POST (RFC 2388) with the
// form fields and one file part per attachment, optionally through the system's proxy and with
// Basic authorization. A "302" answer sends the user's browser to the address it names.
#include "SendJob.h"

#include <cstdint>
#include <string>
#include <vector>

namespace crashreport {

// Where the request goes and what its request line and Host header say.
struct UploadTarget {
    std::string hostName;    // the server, without scheme, port or path
    int32_t hostPort = 80;   // the port the Host header names (the configured one)
    std::string path;        // from the first "/" on; "/" when the URL has none
    std::string requestUri;  // the path, or the absolute URI when a proxy is used
    std::string connectHost; // the server, or the proxy
    int32_t connectPort = 80;
};

// Removes everything up to the first "://"; of a per-protocol proxy list keeps the "http="
// entry's value up to the first blank.
std::string StripProxyScheme(std::string text);
UploadTarget PlanUploadTarget(const std::string& url, int32_t configuredPort,
                              const std::string& proxy);

// The form fields as they follow the request head (each part starts with CR LF).
std::string FormFieldsText(const std::vector<std::pair<std::string, std::string>>& fields);
// Header of one file part (starts with CR LF).
std::string FormFileHeader(const std::string& field, const std::string& sendAs);
// The line that closes the form.
std::string FormClosingLine();

// The request head; `body` is what follows it (it starts with the CR LF that ends the head).
std::string UploadRequestHead(const UploadTarget& target, uint64_t bodyLength,
                              const std::string& sender, const std::string& account,
                              const std::string& password);

// How the server answered: accepted ("200", or "302" with a location) and the location.
struct HttpAnswer {
    bool accepted = false;
    std::string location;
};
HttpAnswer CheckHttpResponse(const std::string& response);
// Whether an address from a "302" answer may be handed to the browser (http and https only).
bool IsBrowsableLocation(const std::string& location);
// Reads the answer (skipping an interim "100 Continue"); opens a browsable 302 location.
bool ReadHttpResponse(ByteStream& stream, NetworkServices& network);

// The whole upload. Every attachment's bytes are read before the length is announced; one
// that cannot be read completely fails the upload.
bool UploadViaHttpPost(const SendJob& job, NetworkServices& network);

} // namespace crashreport
