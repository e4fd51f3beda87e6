// One download task against a real nginx and a scripted server: resume with Range and If-Range, a server that
// ignores or misplaces the range, a changed file, error statuses, a stall, refused addresses.
#include "DownloadTask.h"

#include "Dispatch.h"
#include "TempDir.h"
#include "TestBytes.h"
#include "TestServers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <chrono>
#include <filesystem>

#include <future>

namespace {

// Runs a task to its end on a serial queue, as the engine does, and keeps what it reported.
struct Outcome {
    std::optional<DownloadError> error;
    std::vector<uint8_t> finished; // the finished file's bytes, read inside the callback
    bool gotFinished = false;
    int progressSteps = 0;
    uint64_t lastWritten = 0, lastExpected = 0;
    uint64_t received = 0;
};

class TransferTest : public ::testing::Test {
protected:
    DownloadTask::Options options() {
        DownloadTask::Options o;
        o.folder = QString::fromStdString(dir.file("Update"));
        // Generous: nginx's rate limit sends in bursts, and a loaded machine under the sanitizers is slow.
        o.stallTimeoutMs = 3000;
        o.progressIntervalMs = 5;
        return o;
    }
    Outcome run(const std::shared_ptr<DownloadTask>& task, const std::function<void(DownloadTask&)>& onProgress = {}) {
        Outcome out;
        std::promise<void> done;
        task->setCallbacks([this](std::function<void()> job) { queue.async(std::move(job)); },
                           [&, raw = task.get()](uint64_t, uint64_t written, uint64_t expected) {
                               ++out.progressSteps;
                               out.lastWritten = written;
                               out.lastExpected = expected;
                               if (onProgress) onProgress(*raw);
                           },
                           [&](const QString& location) {
                               out.gotFinished = true;
                               out.finished = readFileBytes(location.toStdString());
                           },
                           [&](const std::optional<DownloadError>& error) {
                               out.error = error;
                               done.set_value();
                           });
        task->resume();
        EXPECT_EQ(done.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
        EXPECT_TRUE(task->waitUntilDone(5000));
        out.received = task->bytesReceived();
        return out;
    }
    // Files left in the download folder.
    std::vector<std::string> leftovers() {
        TempDir* d = &dir;
        std::vector<std::string> names;
        for (const auto& name : d->list())
            if (name == "Update")
                for (const auto& entry : std::filesystem::directory_iterator(d->file("Update")))
                    names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir dir;
    dispatch::SerialQueue queue;
};

TEST_F(TransferTest, NginxDownloadPausedAndResumedIsByteIdentical) {
    TempDir www;
    const auto content = randomBytes(100 * 1024, 1);
    www.write("pkg.7z", content);
    // nginx sends the first second's share at once, then holds the rate: caught under way after that share.
    NginxServer nginx(www.path(), "limit_rate 32k;");
    ASSERT_TRUE(nginx.ok());

    auto task = DownloadTask::withUrl(QString::fromStdString(nginx.url("pkg.7z")), options());
    QByteArray resumeData;
    bool asked = false;
    const Outcome first = run(task, [&](DownloadTask& t) {
        if (!asked) {
            asked = true;
            t.cancelByProducingResumeData([&](const QByteArray& data) { resumeData = data; });
        }
    });
    ASSERT_TRUE(first.error);
    EXPECT_EQ(first.error->code, DownloadErrorCancelled);
    EXPECT_FALSE(first.gotFinished);
    const auto resume = DownloadResumeData::fromData(resumeData);
    ASSERT_TRUE(resume);
    EXPECT_GT(resume->bytesWritten, 0u);
    EXPECT_LT(resume->bytesWritten, content.size());
    EXPECT_EQ(resume->total, content.size());
    EXPECT_FALSE(resume->etag.isEmpty());
    EXPECT_EQ(readFileBytes(dir.file("Update/" + resume->partialName.toStdString())).size(), resume->bytesWritten);

    auto second = DownloadTask::withResumeData(resumeData, options());
    ASSERT_TRUE(second);
    const Outcome done = run(second);
    ASSERT_FALSE(done.error) << done.error->message.toStdString();
    ASSERT_TRUE(done.gotFinished);
    EXPECT_EQ(done.finished, content);
    EXPECT_EQ(done.received, content.size() - resume->bytesWritten) << "only the rest is fetched";
    EXPECT_EQ(done.lastWritten, content.size());
    EXPECT_EQ(done.lastExpected, content.size());
    EXPECT_TRUE(leftovers().empty()) << "the finished file is removed after its callback";
}

TEST_F(TransferTest, CutTransferResumesWithRangeAndIfRange) {
    const auto content = randomBytes(300000, 2);
    ScriptedServer server(content);
    server.cutNext(1, 100000);
    const Outcome cut = run(DownloadTask::withUrl(QString::fromStdString(server.url()), options()));
    ASSERT_TRUE(cut.error);
    EXPECT_EQ(cut.error->code, DownloadErrorNetworkConnectionLost);
    const auto resume = DownloadResumeData::fromData(cut.error->resumeData);
    ASSERT_TRUE(resume);
    EXPECT_EQ(resume->bytesWritten, 100000u);

    const Outcome done = run(DownloadTask::withResumeData(cut.error->resumeData, options()));
    ASSERT_FALSE(done.error) << done.error->message.toStdString();
    EXPECT_EQ(server.lastRange(), "bytes=100000-");
    EXPECT_EQ(server.lastIfRange(), "\"v1\"");
    EXPECT_EQ(done.finished, content);
    EXPECT_EQ(done.received, 200000u);
}

TEST_F(TransferTest, ServerThatIgnoresOrMisplacesTheRangeGivesTheWholeFileAgain) {
    const auto content = randomBytes(200000, 3);
    for (auto mode : {ScriptedServer::Mode::IgnoreRange, ScriptedServer::Mode::WrongRangeStart}) {
        ScriptedServer server(content);
        server.cutNext(1, 70000);
        const Outcome cut = run(DownloadTask::withUrl(QString::fromStdString(server.url()), options()));
        ASSERT_TRUE(cut.error && !cut.error->resumeData.isEmpty());
        server.setMode(mode);
        const Outcome done = run(DownloadTask::withResumeData(cut.error->resumeData, options()));
        ASSERT_FALSE(done.error) << done.error->message.toStdString();
        EXPECT_EQ(done.finished, content);
    }
}

TEST_F(TransferTest, ChangedFileStartsAgainFromZero) {
    ScriptedServer server(randomBytes(150000, 4));
    server.cutNext(1, 50000);
    const Outcome cut = run(DownloadTask::withUrl(QString::fromStdString(server.url()), options()));
    ASSERT_TRUE(cut.error && !cut.error->resumeData.isEmpty());
    const auto newer = randomBytes(120000, 5);
    server.setContent(newer, "\"v2\"");
    const Outcome done = run(DownloadTask::withResumeData(cut.error->resumeData, options()));
    ASSERT_FALSE(done.error);
    EXPECT_EQ(server.lastIfRange(), "\"v1\"");
    EXPECT_EQ(done.finished, newer);

    // The same ETag on a file of another size: the 206 for it is a piece of another file all the same.
    const auto again = randomBytes(150000, 22);
    server.setContent(again, "\"v3\"");
    server.cutNext(1, 50000);
    const Outcome cutAgain = run(DownloadTask::withUrl(QString::fromStdString(server.url()), options()));
    ASSERT_TRUE(cutAgain.error && !cutAgain.error->resumeData.isEmpty());
    const auto resized = randomBytes(120000, 23);
    server.setContent(resized, "\"v3\"");
    const Outcome whole = run(DownloadTask::withResumeData(cutAgain.error->resumeData, options()));
    ASSERT_FALSE(whole.error) << whole.error->message.toStdString();
    EXPECT_EQ(server.lastRange(), "") << "the last request asked for the whole file";
    EXPECT_EQ(whole.finished, resized);
}

// A server that honours Range but ignores If-Range, as many do behind a cache, answers a resume with a piece of its
// new file: nginx behind a proxy that drops If-Range, once with ETags and once with Last-Modified alone.
TEST_F(TransferTest, ServerIgnoringIfRangeWithANewFileStartsAgainFromZero) {
    TempDir www;
    const auto older = randomBytes(48 * 1024, 24), newer = randomBytes(48 * 1024, 25);
    www.write("pkg.7z", older);
    // Rate-limited only without a Range, so a first download can be caught under way and a resume runs at once.
    std::string locations = "location /direct/ { alias " + www.path() + "/; }\n  location /dated/ { alias " +
                            www.path() + "/; etag off; }\n";
    for (const std::string name : {"direct", "dated"})
        locations += "  location /cached-" + name +
                     "/ { set $rate 32k; if ($http_range) { set $rate 0; } limit_rate $rate; rewrite ^/cached-" + name +
                     "/(.*)$ /" + name +
                     "/$1 break; proxy_pass http://127.0.0.1:$server_port; proxy_set_header If-Range \"\"; }\n";
    NginxServer nginx(www.path(), locations);
    ASSERT_TRUE(nginx.ok());

    for (const std::string name : {"direct", "dated"}) {
        SCOPED_TRACE(name);
        www.write("pkg.7z", older);
        auto task = DownloadTask::withUrl(QString::fromStdString(nginx.url("cached-" + name + "/pkg.7z")), options());
        QByteArray resumeData;
        bool asked = false;
        const Outcome first = run(task, [&](DownloadTask& t) {
            if (!asked) {
                asked = true;
                t.cancelByProducingResumeData([&](const QByteArray& data) { resumeData = data; });
            }
        });
        ASSERT_TRUE(first.error);
        const auto resume = DownloadResumeData::fromData(resumeData);
        ASSERT_TRUE(resume);
        ASSERT_LT(resume->bytesWritten, older.size());
        EXPECT_EQ(resume->etag.isEmpty(), name == "dated");
        EXPECT_FALSE(resume->lastModified.isEmpty());

        // A new file of the same size, a while later.
        const std::string path = www.write("pkg.7z", newer);
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::hours(1));
        const Outcome done = run(DownloadTask::withResumeData(resumeData, options()));
        ASSERT_FALSE(done.error) << done.error->message.toStdString();
        EXPECT_EQ(done.finished, newer);
    }
}

TEST_F(TransferTest, ResumeDataClaimingMoreThanThePartialFileGoesOnFromTheFile) {
    const auto content = randomBytes(100000, 26);
    ScriptedServer server(content);
    QDir().mkpath(QString::fromStdString(dir.file("Update")));
    dir.write("Update/KorvoDownload_short.part", std::vector<uint8_t>(content.begin(), content.begin() + 30000));
    DownloadResumeData claims{
        QString::fromStdString(server.url()), "KorvoDownload_short.part", 60000, "\"v1\"", {}, content.size()};
    const Outcome done = run(DownloadTask::withResumeData(claims.toData(), options()));
    ASSERT_FALSE(done.error) << done.error->message.toStdString();
    EXPECT_EQ(server.lastRange(), "bytes=30000-");
    EXPECT_EQ(done.finished, content);
}

TEST_F(TransferTest, RangeAtTheEndIsCompleteOnlyWhenTheSizeMatches) {
    const auto content = randomBytes(80000, 6);
    ScriptedServer server(content);
    // The whole file arrived but the connection broke before the task could say so.
    QDir().mkpath(QString::fromStdString(dir.file("Update")));
    dir.write("Update/KorvoDownload_whole.part", content);
    DownloadResumeData whole{
        QString::fromStdString(server.url()), "KorvoDownload_whole.part", content.size(), "\"v1\"", {}, content.size()};
    const Outcome done = run(DownloadTask::withResumeData(whole.toData(), options()));
    ASSERT_FALSE(done.error) << done.error->message.toStdString();
    EXPECT_EQ(done.finished, content);
    EXPECT_EQ(done.received, 0u);

    // Resume data that claims more than the server has: 416, then the whole file from zero.
    dir.write("Update/KorvoDownload_long.part", randomBytes(90000, 7));
    DownloadResumeData longer{
        QString::fromStdString(server.url()), "KorvoDownload_long.part", 90000, "\"v1\"", {}, 90000};
    const Outcome again = run(DownloadTask::withResumeData(longer.toData(), options()));
    ASSERT_FALSE(again.error) << again.error->message.toStdString();
    EXPECT_EQ(again.finished, content);
}

TEST_F(TransferTest, ErrorStatusesFailWithoutAFinishedFile) {
    ScriptedServer server(randomBytes(1000, 8));
    for (int status : {404, 500, 403}) {
        server.setMode(ScriptedServer::Mode::Status, status);
        const Outcome out = run(DownloadTask::withUrl(QString::fromStdString(server.url()), options()));
        ASSERT_TRUE(out.error);
        EXPECT_EQ(out.error->code, DownloadErrorBadServerResponse);
        EXPECT_EQ(out.error->httpStatus, status);
        EXPECT_TRUE(out.error->resumeData.isEmpty());
        EXPECT_FALSE(out.gotFinished);
    }
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(TransferTest, StallIsATimeOutThatCanResume) {
    const auto content = randomBytes(100000, 9);
    ScriptedServer server(content);
    server.setMode(ScriptedServer::Mode::Stall);
    server.setStallAfter(30000);
    DownloadTask::Options quick = options();
    quick.stallTimeoutMs = 400;
    const Outcome out = run(DownloadTask::withUrl(QString::fromStdString(server.url()), quick));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->code, DownloadErrorTimedOut);
    const auto resume = DownloadResumeData::fromData(out.error->resumeData);
    ASSERT_TRUE(resume);
    EXPECT_EQ(resume->bytesWritten, 30000u);
    server.setMode(ScriptedServer::Mode::Normal);
    const Outcome done = run(DownloadTask::withResumeData(out.error->resumeData, options()));
    ASSERT_FALSE(done.error);
    EXPECT_EQ(done.finished, content);

    // A validator the server sent with a bare CR inside would split the If-Range line: it is no validator, so there
    // is nothing to resume from and the download starts again from zero.
    server.setContent(content, "\"v2\rX-Injected: 1\"");
    server.setMode(ScriptedServer::Mode::Stall);
    const Outcome cut = run(DownloadTask::withUrl(QString::fromStdString(server.url()), quick));
    ASSERT_TRUE(cut.error);
    EXPECT_EQ(cut.error->code, DownloadErrorTimedOut);
    EXPECT_TRUE(cut.error->resumeData.isEmpty()) << cut.error->resumeData.toStdString();
    server.setMode(ScriptedServer::Mode::Normal);
    const Outcome again = run(DownloadTask::withUrl(QString::fromStdString(server.url()), options()));
    ASSERT_FALSE(again.error);
    EXPECT_EQ(again.finished, content);
}

// The address rule itself is tested, for both of its users, in urlrule_test.cpp.
TEST_F(TransferTest, OnlyHttpsOrLoopbackHttpAndSafeNames) {
    const Outcome out = run(DownloadTask::withUrl("file:///etc/passwd", options()));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->code, DownloadErrorUnsupportedURL);

    for (const char* name : {"../x", "/etc/passwd", "a/b", ".hidden", "..", "", "KorvoDownload_a.part\n"}) {
        DownloadResumeData r{"https://h/x", name, 1, "\"e\"", {}, 2};
        EXPECT_FALSE(DownloadResumeData::fromData(r.toData())) << name;
    }
    // Stored validators go back into a request header line: one that would split or cut it is damaged data.
    for (const QString& validator : {QString("\"e\"\r\nX-Injected: 1"), QString("\"e\"\n"), QString("\"e\"\r"),
                                     QString(QChar(0)) + "\"e\"", QString("\"e\"\x7f")}) {
        DownloadResumeData etag{"https://h/x", "KorvoDownload_a.part", 1, validator, {}, 2};
        EXPECT_FALSE(DownloadResumeData::fromData(etag.toData())) << validator.toStdString();
        DownloadResumeData date{"https://h/x", "KorvoDownload_a.part", 1, {}, validator, 2};
        EXPECT_FALSE(DownloadResumeData::fromData(date.toData())) << validator.toStdString();
    }
    DownloadResumeData good{"https://h/x", "KorvoDownload_a.part", 1, "\"e\"", "Wed, 21 Oct 2015 07:28:00 GMT", 2};
    EXPECT_TRUE(DownloadResumeData::fromData(good.toData()));
    EXPECT_FALSE(DownloadResumeData::fromData("not json"));
    EXPECT_FALSE(DownloadTask::withResumeData("{\"url\":\"https://h/x\"}", options()));

    // Nobody listens on the port: the host refuses, which is no lost network.
    const Outcome refused = run(DownloadTask::withUrl(
        QString::fromStdString("http://127.0.0.1:" + std::to_string(freeLoopbackPort()) + "/x"), options()));
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code, DownloadErrorCannotConnectToHost);
}

} // namespace
