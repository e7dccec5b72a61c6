// Writes the cut recording of cut_movie.h for the player's benchmark under
// Wine (run_cut_open_bench.sh) and tells what survives the cut.
//   opendml_cut_movie.exe OUT.avi [FRAMES]   (default 108000: one hour)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cut_movie.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: opendml_cut_movie OUT.avi [FRAMES]\n");
        return 2;
    }
    CutMovieRecipe recipe;
    if (argc > 2)
        recipe.nFrames = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    if (recipe.nFrames == 0) {
        std::fprintf(stderr, "opendml_cut_movie: no frames\n");
        return 2;
    }
    CutMovieFacts facts;
    std::string strError;
    if (!WriteCutMovie(argv[1], recipe, facts, strError)) {
        std::fprintf(stderr, "opendml_cut_movie: %s\n", strError.c_str());
        return 1;
    }
    std::printf("%s: %u frames (%u key frames) at %u fps, %.3f GiB in %u RIFF segments, cut at %.3f GiB "
                "(%u frames and %.2f s of sound before the cut); colour %06X\n",
                argv[1], facts.nFrames, facts.nKeyFrames, facts.nFps, facts.nWritten / 1073741824.0,
                facts.nRiffs, facts.nCutAt / 1073741824.0, facts.nFramesKept,
                static_cast<double>(facts.nSamplesKept) / facts.nSampleRate, CUT_MOVIE_COLOR);
    return 0;
}
