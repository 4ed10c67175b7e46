#include "logs/core/clogpatterns.h"

#include <QRegularExpression>

using namespace logpattern;

namespace {

struct sPatterns
{
    QRegularExpression re[PatternCount];

    sPatterns()
    {
        const char *const texts[PatternCount] = {
            R"(^\s*sens_nd\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*mng_gsm\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*veh_bus__values__log\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*can_log\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*fuel(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*fuel(\d+)_(\d+)_can\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*can_ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*can_din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})",
            R"(^\s*ext_vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})",
            R"(^\s*vscap\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})",
            R"(^\s*counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})",
            R"(^\s*fmeter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})",
            R"(^\s*can_counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})",
            R"(^\s*stor_chnl_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*tracker_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*flag_sos\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*flag_call_request\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(Cpu usage:\s*(\d+\.*\d*).*Cnt_tasks:\s*(\d+))",
            R"(Partition total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap free min:\s*(\d+))",
            R"(^\s*can_log_ext\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
        };
        for (int i = 0; i < PatternCount; ++i) {
            const auto options = (i == CpuRec || i == MemRec) ? QRegularExpression::CaseInsensitiveOption
                                                               : QRegularExpression::NoPatternOption;
            re[i] = QRegularExpression(QString::fromLatin1(texts[i]), options);
            re[i].optimize();
        }
    }
};

} // namespace

const QRegularExpression &cLogPatterns::pattern(int which)
{
    static const sPatterns patterns;
    return patterns.re[which];
}
