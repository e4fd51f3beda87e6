// Times the boot-logo conversion of a generated 12-megapixel photograph against ImageMagick's convert scaling the
// same photograph to a 320x240 bitmap, in one run, and reports the ratio.
// Usage: lumaset_bench [--runs N] [--width W --height H]
#include "Lumaset.h"

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultRuns = 7;
constexpr int kDefaultWidth = 4032; // a phone camera's 12.2 MP
constexpr int kDefaultHeight = 3024;
constexpr int kJpegQuality = 92;

// A photograph-like picture: smooth gradients, shapes and sensor noise, so the JPEG is of realistic size.
cv::Mat makePhoto(int width, int height) {
    cv::Mat photo(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        auto* row = photo.ptr<cv::Vec3b>(y);
        for (int x = 0; x < width; ++x)
            row[x] = cv::Vec3b(uchar(60 + 120 * y / height), uchar(90 + 100 * x / width), uchar(200 - 90 * y / height));
    }
    cv::RNG rng(12345);
    for (int i = 0; i < 60; ++i)
        cv::circle(photo, cv::Point(rng.uniform(0, width), rng.uniform(0, height)), rng.uniform(40, width / 6),
                   cv::Scalar(rng.uniform(0, 255), rng.uniform(0, 255), rng.uniform(0, 255)), cv::FILLED, cv::LINE_AA);
    cv::GaussianBlur(photo, photo, cv::Size(0, 0), 6);
    cv::Mat noise(photo.size(), CV_8UC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, 6);
    cv::add(photo, noise, photo);
    return photo;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs a program with an argument list (no shell); true when it exited with 0.
bool run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <typename F> double timeMs(F&& f, bool& ok) {
    const auto start = Clock::now();
    ok = f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns, width = kDefaultWidth, height = kDefaultHeight;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--width"))
            width = std::max(320, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--height"))
            height = std::max(240, std::atoi(argv[i + 1]));
    }

    char tmpl[] = "/tmp/lumaset-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = tmpl;
    fs::current_path(dir); // the converter keeps its temp.bmp beside the destination, "logo.bmp" here

    const std::string photo = (dir / "photo.jpg").string();
    cv::imwrite(photo, makePhoto(width, height), {cv::IMWRITE_JPEG_QUALITY, kJpegQuality});
    std::printf("photo: %dx%d (%.1f MP), JPEG %.1f MB\n", width, height, width * double(height) / 1e6,
                double(fs::file_size(photo)) / 1e6);

    const std::vector<std::string> magick = {"convert",  photo,       "-filter",
                                             "Triangle", "-resize",   "320x240!",
                                             "-type",    "TrueColor", "BMP3:" + (dir / "magick.bmp").string()};
    bool ok = true;
    std::vector<double> ours, theirs;
    for (int i = 0; i <= runs; ++i) { // the first round warms caches and is not counted
        bool a = false, b = false;
        const double t1 = timeMs([&] { return convertToLogo(photo, "logo.bmp"); }, a);
        const double t2 = timeMs([&] { return run(magick); }, b);
        ok = ok && a && b;
        if (i > 0) {
            ours.push_back(t1);
            theirs.push_back(t2);
        }
    }
    fs::remove_all(dir);
    if (!ok) {
        std::fprintf(stderr, "a conversion failed (is ImageMagick's convert on PATH?)\n");
        return 1;
    }
    const double mine = median(ours), im = median(theirs);
    std::printf("Lumaset convertToLogo:    median %8.1f ms over %d runs\n", mine, runs);
    std::printf("ImageMagick convert:      median %8.1f ms over %d runs\n", im, runs);
    std::printf("ratio ImageMagick/Lumaset: %.2f (%s)\n", im / mine,
                im > mine ? "Lumaset is faster" : "Lumaset is slower");
    return 0;
}
