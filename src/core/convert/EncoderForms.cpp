#include "core/convert/EncoderForms.h"

#include "core/convert/TodaysForms.h"

#include <span>

namespace varnel {

namespace {

using F = CommandForm;

using ProfileRow = FormRow;

// Entry numbers | Form | Container piece | Fixed audio piece (phone form)
constexpr ProfileRow kProfileTable[] = {
    {1, 18, F::Full, " -f mp4 -vcodec  ", ""},
    {19, 24, F::Full, "  -vcodec  ", ""},
    {25, 27, F::Full, " -f psp -vcodec   ", ""},
    {28, 34, F::Full, "  -vcodec   ", ""},
    {35, 35, F::ShortVideo, "", ""},
    {36, 37, F::ShortVideo, "", ""},
    {39, 39, F::ShortVideo, "", ""},
    {38, 38, F::Full, " -f mp4  -vcodec  ", ""},
    {40, 40, F::Full, " -f mp4  -vcodec  ", ""},
    {41, 47, F::ShortVideo, "", ""},
    {48, 59, F::Full, " -f avi  -vcodec ", ""},
    {60, 61, F::FullNoAspect, " -f avi  -vcodec ", ""},
    {62, 62, F::ShortVideo, "", ""},
    {63, 63, F::Full, " -f mp4  -vcodec  ", ""},
    {64, 65, F::ShortVideo, "", ""},
    {66, 66, F::Full, " -f avi  -vcodec ", ""},
    {67, 67, F::Full, " -f mp4  -vcodec ", ""},
    {68, 69, F::Full, "   -vcodec ", ""},
    {70, 71, F::Phone, "   -vcodec ", "  -f 3gp -ac 1 -ar 8000 -ab 12.2k   "},
    {72, 72, F::Phone, " -f 3g2  -vcodec ", "  -ac 1 -ar 8000 -ab 12.2k   "},
    {73, 78, F::Full, " -f mp4  -vcodec   ", ""},
    {79, 81, F::ShortVideo, "", ""},
    {82, 84, F::Flash, "", ""},
    {85, 86, F::ShortVideo, "", ""},
    {87, 88, F::Dvd, " -target ntsc-dvd ", ""},
    {89, 89, F::Dvd, " -target pal-dvd ", ""},
    {90, 91, F::FullNoAspect, "   -vcodec ", ""},
    {92, 92, F::Full, " -f avi   -vcodec   ", ""},
    {93, 93, F::ShortVideoAspect, "", ""},
    {94, 94, F::Full, " -f mp4  -vcodec    ", ""},
    {95, 96, F::Audio, "  -vn -f  mp3  -acodec  libmp3lame ", ""},
    {97, 97, F::Audio, "  -vn -f  ogg -acodec  libvorbis ", ""},
    {98, 98, F::Audio, "  -vn -f  wav -acodec  pcm_s16le ", ""},
    {99, 99, F::Audio, "  -vn -acodec  libfaac ", ""},
    {101, 101, F::Audio, "  -vn -acodec  libfaac ", ""},
    {100, 100, F::Wma, "", ""},
};

} // namespace

std::optional<FormChoice> formForEntry(int number)
{
    for (const std::span<const FormRow> table : {std::span<const FormRow>(kProfileTable),
                                                  std::span<const FormRow>(tables::kTodayForms)})
        for (const FormRow& r : table)
            if (number >= r.first && number <= r.last)
                return FormChoice{r.form, QString::fromUtf8(r.container), QString::fromUtf8(r.fixedAudio)};
    return std::nullopt;
}

} // namespace varnel
