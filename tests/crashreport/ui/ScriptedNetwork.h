#pragma once
// A peer that answers from a script: each Receive hands out the next prepared reply; when the
// script is used up the peer has dropped the connection (or, if asked, stays silent until the
// time-out). Everything the client sends is kept for inspection.
#include "SendJob.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace crashreport::testing {

struct Transcript {
    std::string sent;
    std::vector<std::string> connects; // "host:port"
    std::vector<std::string> opened;   // addresses handed to the browser
};

class ScriptedStream : public ByteStream {
public:
    ScriptedStream(std::deque<std::string> replies, Transcript& transcript, bool silentAtEnd)
        : replies_(std::move(replies)), transcript_(transcript), silentAtEnd_(silentAtEnd)
    {
    }
    bool Send(std::string_view bytes) override
    {
        transcript_.sent.append(bytes);
        return true;
    }
    Received Receive(std::string& appendTo, size_t maxBytes) override
    {
        if (replies_.empty())
            return silentAtEnd_ ? Received::timeout : Received::closed;
        std::string reply = replies_.front();
        replies_.pop_front();
        if (reply.size() > maxBytes) {
            replies_.push_front(reply.substr(maxBytes));
            reply.resize(maxBytes);
        }
        appendTo += reply;
        return Received::data;
    }

private:
    std::deque<std::string> replies_;
    Transcript& transcript_;
    bool silentAtEnd_;
};

class ScriptedNetwork : public NetworkServices {
public:
    std::deque<std::string> replies;
    bool reachable = true;
    bool silentAtEnd = false;
    std::string mailServer = "mx.example.test";
    std::string proxy;
    Transcript transcript;

    std::unique_ptr<ByteStream> Connect(const std::string& host, int32_t port) override
    {
        transcript.connects.push_back(host + ":" + std::to_string(port));
        if (!reachable)
            return nullptr;
        return std::make_unique<ScriptedStream>(std::move(replies), transcript, silentAtEnd);
    }
    std::string FindMailServer(const std::string&) override { return mailServer; }
    std::string SystemProxy() override { return proxy; }
    void OpenInBrowser(const std::string& url) override { transcript.opened.push_back(url); }
    std::string ComputerName() override { return "TESTBOX"; }
    std::string MailDate() override { return "11 Dec 2026 04:05:06 UT"; }
    std::string MessageId() override { return "<01dc6a3b12345678@qorExcept>"; }
};

} // namespace crashreport::testing
