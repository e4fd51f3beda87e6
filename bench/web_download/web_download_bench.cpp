// Downloads a 1 GiB file from nginx on 127.0.0.1 with the download engine (over a real record store) and with the
// curl program in the same run, and reports the engine's rate as a ratio of curl's (target: at least 0.9). Then
// cuts an engine download at half, resumes it and reports the resume's time against a whole download's.
#include "DownloadTask.h"
#include "KorvoUpdateDownloadDataBaseManager.h"
#include "KorvoUpdateDownloadManager.h"
#include "NotificationCenter.h"
#include "TestServers.h"
#include "UserDefaults.h"

#include "Documents.h"

#include <QDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint64_t kFileSize = 1ull << 30;
constexpr int kRounds = 3; // best of three, against noise from other work on the machine

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void writeRandomFile(const std::string& path, uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 rng(42);
    std::vector<uint64_t> block(1 << 17);
    for (uint64_t done = 0; done < size; done += block.size() * 8) {
        for (auto& v : block)
            v = rng();
        out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size() * 8));
    }
}

bool sameFiles(const std::string& a, const std::string& b) {
    return std::system(("cmp -s '" + a + "' '" + b + "'").c_str()) == 0;
}

// One transfer task alone, without the engine and its record store.
double taskSeconds(const std::string& url, const std::string& folder) {
    DownloadTask::Options options;
    options.folder = QString::fromStdString(folder);
    auto task = DownloadTask::withUrl(QString::fromStdString(url), options);
    dispatch::SerialQueue queue;
    std::promise<bool> done;
    task->setCallbacks([&](std::function<void()> job) { queue.async(std::move(job)); }, {}, {},
                       [&](const std::optional<DownloadError>& error) { done.set_value(!error); });
    const auto start = Clock::now();
    task->resume();
    const bool ok = done.get_future().get();
    return ok ? seconds(start) : -1;
}

double curlSeconds(const std::string& url, const std::string& out) {
    const auto start = Clock::now();
    const int rc = std::system(("curl -s -o '" + out + "' '" + url + "'").c_str());
    const double t = seconds(start);
    return rc == 0 ? t : -1;
}

struct Engine {
    KorvoUpdateDownloadDataBaseManager store;
    std::unique_ptr<KorvoUpdateDownloadManager> engine;
    Engine() {
        store.creatDBWithSerialNumber("BENCH", "bench");
        engine = std::make_unique<KorvoUpdateDownloadManager>(store);
        long long limit = 1;
        NotificationCenter::workspaceCenter().post(KorvoUpdateDownloadMaxConcurrentCountChangeNotification, &limit);
    }
    KorvoUpdateDownloadModelPtr add(const std::string& url) {
        auto r = KorvoUpdateDownloadModel::create();
        r->setSoftware("BENCH");
        r->setVehicle("BENCH");
        r->setUrl(QString::fromStdString(url));
        r->setTotalFileSize(kFileSize);
        r->setExpectedContentLength(kFileSize);
        store.deleteAll();
        store.insertModel(*r);
        return store.getModelWithUrl(r->url());
    }
    // Runs the record's vehicle to its end; false when it failed.
    bool runToEnd(const KorvoUpdateDownloadModelPtr& record) {
        std::promise<bool> done;
        auto& centre = NotificationCenter::workspaceCenter();
        bool told = false;
        centre.addObserver(this, KorvoUpdateDownloadRequestCompleteNotification, [&](const Notification&) {
            if (!told) told = true, done.set_value(true);
        });
        centre.addObserver(this, KorvoUpdateDownloadRequestErrorNotification, [&](const Notification&) {
            if (!told) told = true, done.set_value(false);
        });
        engine->startDownloadTask(record);
        const bool ok = done.get_future().get();
        engine->sync();
        centre.removeObserver(this);
        return ok;
    }
};

} // namespace

int main() {
    const std::string root =
        (fs::temp_directory_path() / ("korvo-download-bench-" + std::to_string(::getpid()))).string();
    fs::create_directories(root + "/www");
    fs::create_directories(root + "/docs");
    platform::setDocumentsDirectory(QString::fromStdString(root + "/docs"));
    UserDefaults::setStorePath(QString::fromStdString(root + "/defaults.ini"));
    const std::string source = root + "/www/BENCH_V1.0_EN.zip";
    writeRandomFile(source, kFileSize);
    // /cut/ serves the same files, slowed to a trickle after half of the big one: a cut lands at half.
    NginxServer nginx(root + "/www",
                      "location /cut/ { alias " + root + "/www/; limit_rate_after 512m; limit_rate 64k; }");
    if (!nginx.ok()) {
        std::fprintf(stderr, "nginx did not start; is nginx-light installed?\n");
        return 1;
    }
    const std::string url = nginx.url("BENCH_V1.0_EN.zip");
    const std::string landed = root + "/docs/Update/BENCH_V1.0_EN.7z";

    double bestCurl = 1e9, bestEngine = 1e9, bestTask = 1e9;
    Engine engine;
    for (int round = 0; round < kRounds; ++round) {
        // Every run starts with the files of the one before gone and nothing left to write back to the disk.
        fs::remove(landed);
        ::sync();
        const double c = curlSeconds(url, root + "/curl.out");
        if (c > 0) bestCurl = std::min(bestCurl, c);
        fs::remove(root + "/curl.out");
        ::sync();
        const double t = taskSeconds(url, root + "/task");
        if (t > 0) bestTask = std::min(bestTask, t);
        fs::remove_all(root + "/task");
        ::sync();
        const auto start = Clock::now();
        if (!engine.runToEnd(engine.add(url))) {
            std::fprintf(stderr, "the engine's download failed\n");
            return 1;
        }
        bestEngine = std::min(bestEngine, seconds(start));
        if (round == 0 && !sameFiles(source, landed)) {
            std::fprintf(stderr, "the engine's file differs from the served one\n");
            return 1;
        }
    }
    const double mib = double(kFileSize) / (1 << 20);
    std::printf("1 GiB over loopback from nginx, best of %d:\n", kRounds);
    std::printf("  curl program   %7.0f MiB/s (%.2f s)\n", mib / bestCurl, bestCurl);
    std::printf("  transfer task  %7.0f MiB/s (%.2f s)\n", mib / bestTask, bestTask);
    std::printf("  engine         %7.0f MiB/s (%.2f s)\n", mib / bestEngine, bestEngine);
    std::printf("  engine / curl  %7.2f (target >= 0.90)\n", bestCurl / bestEngine);

    // Cut at half: a transfer stopped with resume data once it holds half the file, then resumed.
    fs::remove(landed);
    DownloadTask::Options options;
    options.folder = QString::fromStdString(root + "/docs/Update");
    options.progressIntervalMs = 10;
    const std::string cutUrl = nginx.url("cut/BENCH_V1.0_EN.zip");
    auto task = DownloadTask::withUrl(QString::fromStdString(cutUrl), options);
    dispatch::SerialQueue queue;
    std::promise<QByteArray> resumePromise;
    std::promise<void> ended;
    bool asked = false;
    task->setCallbacks([&](std::function<void()> job) { queue.async(std::move(job)); },
                       [&](uint64_t, uint64_t written, uint64_t) {
                           if (!asked && written >= kFileSize / 2) {
                               asked = true;
                               task->cancelByProducingResumeData(
                                   [&](const QByteArray& d) { resumePromise.set_value(d); });
                           }
                       },
                       {}, [&](const std::optional<DownloadError>&) { ended.set_value(); });
    task->resume();
    const QByteArray resumeData = resumePromise.get_future().get();
    ended.get_future().wait();
    const auto resume = DownloadResumeData::fromData(resumeData);
    if (!resume) {
        std::fprintf(stderr, "no resume data after the cut\n");
        return 1;
    }
    auto model = engine.add(cutUrl);
    model->setResumeData(resumeData);
    engine.store.updateWithModel(model, KorvoUpdateDownloadUpdateResumeData);
    ::sync();
    const auto start = Clock::now();
    if (!engine.runToEnd(engine.store.getModelWithUrl(model->url()))) {
        std::fprintf(stderr, "the resumed download failed\n");
        return 1;
    }
    const double resumed = seconds(start);
    const bool same = sameFiles(source, landed);
    std::printf("Resume after a cut at %.0f%%: %.2f s, %.2f of a whole download's time; file %s\n",
                100.0 * double(resume->bytesWritten) / double(kFileSize), resumed, resumed / bestEngine,
                same ? "byte-identical" : "DIFFERS");
    engine.engine.reset();
    fs::remove_all(root);
    return same ? 0 : 1;
}
