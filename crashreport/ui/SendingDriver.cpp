#include "SendingDriver.h"

#include "HttpUpload.h"
#include "MailAddresses.h"
#include "SmtpClient.h"

namespace crashreport {

bool TransmitReport(SendJob job, NetworkServices& network)
{
    SilentProgress silent;
    SendProgress& progress = job.progress ? *job.progress : silent;
    job.progress = &progress;
    progress.ClearSegments();
    progress.AddSegment("Prepare attachments...", 1000);

    bool sent = false;
    if (!job.uploadUrl.empty()) {
        sent = UploadViaHttpPost(job, network);
    } else if (CountMailAddresses(job.recipients) > 0) {
        if (!job.server.empty()) {
            const int32_t segments = PlanSmtpProgress(job, false);
            progress.SegmentDone();
            sent = SendSmtpMail(job.recipients, job, network);
            progress.SetActiveSegment(segments);
        } else {
            const std::vector<std::string> recipients = MailAddressItems(job.recipients);
            int32_t segments = 0;
            for (size_t i = 0; i < recipients.size(); ++i)
                segments = PlanSmtpProgress(job, true);
            progress.SegmentDone();
            for (size_t i = 0; i < recipients.size(); ++i) {
                if (SendSmtpMail(recipients[i], job, network))
                    sent = true;
                progress.SetActiveSegment(static_cast<int32_t>(i + 1) * segments);
            }
        }
    }
    progress.Dismiss();
    return sent;
}

} // namespace crashreport
