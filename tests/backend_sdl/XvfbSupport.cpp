// XvfbSupport.cpp: the Xvfb tests' shared helpers (see XvfbSupport.h). The backend stays open for
// the whole run and is closed at exit; the temporary folder is left for a failed run to inspect.
#include "XvfbSupport.h"

#include <X11/Xutil.h>
#include <png.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const Backend* Opened = nullptr;
bool Tried = false;
Display* TestDisplay = nullptr;
std::string TempFolder;

bool SkipClose = false;

void CloseAtExit() {
    if (SkipClose) return;
    if (Opened != nullptr) Opened->Close();
    if (TestDisplay != nullptr) XCloseDisplay(TestDisplay);
}

uint64_t NowMs() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

const Backend* XvfbBackend() {
    if (!Tried) {
        Tried = true;
        if (getenv("DISPLAY") != nullptr && SdlBackend()->Open()) {
            Opened = SdlBackend();
            TestDisplay = XOpenDisplay(nullptr);
            atexit(CloseAtExit);
        }
    }
    return Opened;
}

void XvfbSkipCloseAtExit() {
    SkipClose = true;
}

Display* XvfbDisplay() {
    return TestDisplay;
}

bool XvfbWaitFor(BackendEventKind kind, BackendEvent* event, int ms) {
    uint64_t deadline = NowMs() + uint64_t(ms);
    for (uint64_t now = NowMs(); now < deadline; now = NowMs()) {
        if (Opened->WaitEvent(event, int(deadline - now)) && event->Kind == kind) return true;
    }
    return false;
}

std::vector<BackendEvent> XvfbCollect(int ms, const XvfbEnough& enough) {
    std::vector<BackendEvent> events;
    uint64_t deadline = NowMs() + uint64_t(ms);
    BackendEvent event;
    for (uint64_t now = NowMs(); now < deadline; now = NowMs()) {
        if (Opened->WaitEvent(&event, int(deadline - now))) events.push_back(event);
        if (enough != nullptr && enough(events)) break;
    }
    return events;
}

int XvfbRun(const std::string& command) {
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string XvfbOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string XvfbTempPath(const char* name) {
    if (TempFolder.empty()) {
        char pattern[] = "/tmp/kestrova-xvfb-XXXXXX";
        if (mkdtemp(pattern) != nullptr) TempFolder = pattern;
    }
    return TempFolder + "/" + name;
}

void XvfbWriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<uint32_t> XvfbGrab(int x, int y, int width, int height) {
    std::vector<uint32_t> pixels;
    XSync(TestDisplay, False);
    XImage* image = XGetImage(TestDisplay, DefaultRootWindow(TestDisplay), x, y, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels.push_back(uint32_t(XGetPixel(image, column, row)) & 0xFFFFFFu);
    XDestroyImage(image);
    return pixels;
}

unsigned long XvfbFindWindow(const char* title) {
    std::string out = XvfbOutput(std::string("xdotool search --name '^") + title + "$' 2>/dev/null");
    return strtoul(out.c_str(), nullptr, 10);
}

XvfbGeometry XvfbWindowGeometry(unsigned long window) {
    std::string out = XvfbOutput("xdotool getwindowgeometry --shell " + std::to_string(window));
    XvfbGeometry g{};
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        int* field = line.rfind("X=", 0) == 0        ? &g.X
                     : line.rfind("Y=", 0) == 0      ? &g.Y
                     : line.rfind("WIDTH=", 0) == 0  ? &g.Width
                     : line.rfind("HEIGHT=", 0) == 0 ? &g.Height
                                                     : nullptr;
        if (field) *field = std::atoi(line.c_str() + line.find('=') + 1);
    }
    return g;
}

std::set<unsigned long> XvfbShownWindows() {
    std::set<unsigned long> windows;
    std::istringstream lines(XvfbOutput("xdotool search --onlyvisible --name '' 2>/dev/null"));
    for (std::string line; std::getline(lines, line);)
        if (unsigned long id = strtoul(line.c_str(), nullptr, 10)) windows.insert(id);
    return windows;
}

unsigned long XvfbWaitForShownWindow(const char* title) {
    unsigned long window = 0;
    for (int i = 0; i < 100 && window == 0; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
        std::string out =
            XvfbOutput(std::string("xdotool search --onlyvisible --name '^") + title + "$' 2>/dev/null");
        window = strtoul(out.c_str(), nullptr, 10);
    }
    return window;
}

std::vector<uint32_t> XvfbReadPng(const std::string& path, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint32_t> pixels;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return pixels;
    image.format = PNG_FORMAT_BGRA;
    pixels.resize(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
    for (uint32_t& p : pixels)
        p &= 0x00FFFFFF;
    *width = int(image.width), *height = int(image.height);
    return pixels;
}

bool XvfbWritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) return false;
    std::vector<uint32_t> opaque(pixels);
    for (uint32_t& p : opaque)
        p |= 0xFF000000u;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&image, path.c_str(), 0, opaque.data(), 0, nullptr) != 0;
}

pid_t XvfbStartProgram(const char* program, const std::string& registry) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("KESTROVA_REGISTRY", registry.c_str(), 1);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

bool XvfbAwaitExit(pid_t child, int ms) {
    int status = 0;
    for (int waited = 0; waited < ms; waited += 100) {
        if (waitpid(child, &status, WNOHANG) == child) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

std::string XvfbReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string XvfbReaderSettings(const std::string& values) {
    return "Windows Registry Editor Version "
           "5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n"
           "\"FontName\"=\"DejaVu Sans\"\r\n" +
           values + "\r\n";
}
