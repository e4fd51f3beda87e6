// Repair of download resume data: the two archived URL requests inside it are rewritten from the long-key layout
// (values under "__nsurlrequest_proto_prop_obj_<n>" and "__nsurlrequest_proto_props", the root named under the
// literal "NSKeyedArchiveRootObjectKey") into the numbered-key layout ("$<n>", the root under "root"), and a download
// task is made from the result. Pure transformations of property lists (libplist), safe from any thread.
// Failures give no result (std::nullopt or null): the caller falls back to the data as it came.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace correctedresumedata {

inline constexpr char kResumeCurrentRequestKey[] = "NSURLSessionResumeCurrentRequest";
inline constexpr char kResumeOriginalRequestKey[] = "NSURLSessionResumeOriginalRequest";
// Resume data is a few kilobytes; anything this large is not resume data and is refused before parsing.
inline constexpr int kMaxResumeDataSize = 16 * 1024 * 1024;

// An owned property-list node (libplist's plist_t).
using Plist = std::unique_ptr<void, void (*)(void*)>;

// The data parsed as a property list (binary or XML) whose root is a dictionary; null when absent, too large, too
// deep, of more nodes than any resume data holds once its shared references are copied out, unparsable or of another
// shape. The same limits hold for every parse below.
Plist getResumeDictionaryWithData(const QByteArray& data);
// The archived request rewritten into the numbered-key layout as a binary property list; the input unchanged when
// it already archives a data object; nullopt when it does not parse, is not shaped as an archived request, or its
// numbered keys have a gap that a moved value would overwrite.
std::optional<QByteArray> getCorrectRequestDataWithData(const QByteArray& data);
// The resume data with both archived requests repaired, as an XML property list; an entry whose repair fails is
// removed. nullopt when the data does not parse.
std::optional<QByteArray> getCorrectResumeDataWithData(const QByteArray& data);

// A URL request as far as a resumed task needs it back.
struct URLRequest {
    QString url;
};
// The request archived in data (a keyed archive whose root is an NSURLRequest or NSMutableURLRequest): its URL is
// the first NSURL object reached from the root. nullopt when there is none.
std::optional<URLRequest> decodeRequestWithData(const QByteArray& data);

// What the repair needs of a download task and of the session that makes it.
class ResumeDownloadTask {
public:
    virtual ~ResumeDownloadTask() = default;
    virtual std::optional<URLRequest> originalRequest() const = 0;
    virtual std::optional<URLRequest> currentRequest() const = 0;
    virtual void setOriginalRequest(const URLRequest& request) = 0;
    virtual void setCurrentRequest(const URLRequest& request) = 0;
};
class ResumeDownloadSession {
public:
    virtual ~ResumeDownloadSession() = default;
    // A task that continues the download from resume data; null when the data is refused.
    virtual std::shared_ptr<ResumeDownloadTask> downloadTaskWithResumeData(const QByteArray& resumeData) = 0;
};

// A task of the session from the repaired resume data (or the data as it came when the repair fails), given back
// the requests archived in it where the task lacks them.
std::shared_ptr<ResumeDownloadTask> downloadTaskWithCorrectResumeData(ResumeDownloadSession& session,
                                                                      const QByteArray& resumeData);

} // namespace correctedresumedata
