// Layout time per kilobyte of mini-HTML markup, 1 KB against 100 KB of the same mixture of
// tags, entities, anchors and wrapped words, laid out (measure only, so every line counts) on
// a canvas with fixed metrics. Prints both times per kilobyte and their ratio 100 KB / 1 KB
// (goal: about 1, no pass that grows with the square of the text). The allocator is told to
// keep the memory it frees, so that both sizes measure the layout and not the kernel handing
// out fresh zeroed pages for the 100 KB buffers on every call.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FakeHtmlCanvas.h"
#include "html/HtmlLayout.h"

namespace {

const std::string kPiece =
    "<P align=\"left\">Flash <B>erase</B> &amp; write <FONT color=\"clRed\" size=\"3\">done</FONT> "
    "in "
    "<A href=\"http://example.org/log\">the log</A>, &lt;see&gt; <I>history</I> &copy; 2026<BR>"
    "<UL><LI>one item<LI>two items</UL><SHAD>shadowed</SHAD> <SUB>low</SUB> text words here ";

std::string Markup(size_t bytes)
{
    std::string s;
    while (s.size() < bytes)
        s += kPiece;
    s.resize(bytes);
    return s;
}

double NowMs()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// Milliseconds per kilobyte, best of `runs`, each laying out enough copies for ~100 KB.
double PerKilobyte(const std::string& markup, int runs)
{
    html::HtmlLayoutRequest q;
    q.Text = markup;
    q.Rect = {0, 0, 300, 200};
    q.MeasureOnly = true;
    const int copies = std::max<int>(1, static_cast<int>(100 * 1024 / markup.size()));
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        for (int i = 0; i < copies; ++i) {
            html::testing::FakeHtmlCanvas canvas;
            html::LayoutHtmlText(canvas, q);
        }
        best = std::min(best, (NowMs() - start) / (copies * markup.size() / 1024.0));
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    const double small = PerKilobyte(Markup(1024), runs);
    const double large = PerKilobyte(Markup(100 * 1024), runs);
    std::printf("layout (measure only) of mixed markup, best of %d\n", runs);
    std::printf("1 KB:   %.4f ms per KB\n100 KB: %.4f ms per KB\n", small, large);
    std::printf("ratio 100 KB / 1 KB per KB: %.2f (goal: about 1)\n", large / small);
    return 0;
}
