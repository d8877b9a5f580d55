#include "product/latiphonix_processor.h"

#include <algorithm>

// The factory bank. Each preset lists only what differs from the defaults; everything else keeps its
// default value, because the framework copies the current (default) values into the slot first.

namespace
{

const FactoryPresetValue kPreset00[] = {{5, 0.56f},     {8, 0.615f},    {10, 0.0f}, {14, 0.33383f},
                                        {15, 0.86733f}, {16, 0.53244f}, {17, 1.0f}, {18, 0.41012f},
                                        {19, 1.0f},     {20, 0.32635f}, {-1, 0.0f}};
const FactoryPresetValue kPreset01[] = {{5, 0.605f},    {8, 0.77f},     {10, 0.0f}, {14, 0.23175f},
                                        {15, 0.74695f}, {16, 0.8f},     {17, 1.0f}, {18, 0.4623f},
                                        {19, 0.89712f}, {20, 0.63044f}, {-1, 0.0f}};
const FactoryPresetValue kPreset02[] = {{5, 0.82f},     {7, 1.0f},      {8, 0.535f},    {10, 0.0f},
                                        {12, 0.23437f}, {14, 0.38229f}, {16, 0.68904f}, {18, 0.34116f},
                                        {19, 0.94511f}, {20, 0.88904f}, {23, 0.14f},    {24, 0.935f},
                                        {-1, 0.0f}};
const FactoryPresetValue kPreset03[] = {
    {5, 0.665f}, {7, 1.0f},  {8, 0.595f},    {10, 0.0f}, {14, 0.29803f}, {15, 0.88249f}, {16, 0.95979f},
    {17, 1.0f},  {19, 1.0f}, {20, 0.60615f}, {23, 1.0f}, {24, 1.0f},     {-1, 0.0f}};
const FactoryPresetValue kPreset04[] = {{6, 1.0f},     {7, 1.0f},  {8, 1.0f},  {14, 0.1186f}, {17, 1.0f},
                                        {18, 0.3686f}, {19, 1.0f}, {20, 1.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset05[] = {{6, 1.0f},      {8, 1.0f},  {16, 0.61821f}, {17, 1.0f},
                                        {20, 0.41821f}, {27, 1.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset06[] = {{4, 0.005f}, {5, 0.45f}, {7, 1.0f},      {8, 0.0f},
                                        {10, 0.0f},  {11, 0.0f}, {16, 0.37147f}, {20, 0.78392f},
                                        {26, 0.99f}, {28, 1.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset07[] = {{5, 0.615f}, {7, 1.0f},  {8, 0.68f},     {10, 0.0f}, {11, 0.0f},
                                        {16, 0.0f},  {17, 1.0f}, {18, 0.29493f}, {19, 1.0f}, {20, 0.3611f},
                                        {23, 1.0f},  {24, 1.0f}, {25, 1.0f},     {-1, 0.0f}};
const FactoryPresetValue kPreset08[] = {
    {5, 0.52f},    {8, 0.58f}, {10, 0.0f},     {12, 0.07798f}, {13, 0.92757f}, {14, 0.31123f}, {15, 0.7546f},
    {16, 0.6725f}, {17, 1.0f}, {18, 0.27728f}, {19, 0.81725f}, {20, 0.88119f}, {-1, 0.0f}};
const FactoryPresetValue kPreset09[] = {{5, 0.515f},    {8, 0.295f},    {10, 0.0f}, {11, 0.0f},
                                        {14, 0.41069f}, {16, 0.29225f}, {17, 1.0f}, {18, 0.30405f},
                                        {19, 0.90356f}, {20, 0.09225f}, {-1, 0.0f}};
const FactoryPresetValue kPreset10[] = {{5, 0.47f},     {6, 1.0f},      {7, 1.0f},      {8, 0.905f},
                                        {10, 0.0f},     {14, 0.09862f}, {18, 0.34862f}, {19, 1.0f},
                                        {20, 0.89727f}, {21, 1.0f},     {22, 0.002f},   {23, 1.0f},
                                        {24, 1.0f},     {25, 1.0f},     {-1, 0.0f}};
const FactoryPresetValue kPreset11[] = {{5, 0.5f},    {8, 0.97f}, {21, 1.0f}, {22, 0.003f},
                                        {23, 0.755f}, {24, 1.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset12[] = {{5, 0.58f}, {10, 0.0f}, {11, 0.0f},
                                        {16, 0.0f}, {20, 0.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset13[] = {{4, 0.003f}, {5, 0.405f}, {8, 1.0f},  {10, 0.0f},
                                        {11, 0.0f},  {16, 0.0f},  {20, 0.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset14[] = {{5, 0.505f},    {7, 1.0f},      {10, 0.0f},
                                        {16, 0.82974f}, {17, 1.0f},     {19, 0.89042f},
                                        {20, 1.0f},     {31, 0.44444f}, {-1, 0.0f}};
const FactoryPresetValue kPreset15[] = {{5, 0.595f},    {7, 1.0f},      {8, 0.815f}, {11, 0.0f},
                                        {14, 0.38244f}, {16, 0.94781f}, {17, 1.0f},  {18, 0.63244f},
                                        {19, 1.0f},     {20, 0.74781f}, {-1, 0.0f}};
const FactoryPresetValue kPreset16[] = {{4, 0.008f},    {5, 0.52f},     {10, 0.0f},     {12, 0.18653f},
                                        {13, 0.88105f}, {14, 0.28543f}, {15, 0.58728f}, {16, 0.47603f},
                                        {20, 0.27603f}, {-1, 0.0f}};
const FactoryPresetValue kPreset17[] = {{4, 0.006f},  {7, 1.0f},  {8, 0.67f}, {21, 1.0f},     {23, 0.9f},
                                        {24, 0.845f}, {25, 1.0f}, {27, 1.0f}, {31, 0.51795f}, {-1, 0.0f}};
const FactoryPresetValue kPreset18[] = {{5, 0.625f},    {7, 1.0f},      {10, 0.0f}, {13, 0.36487f},
                                        {15, 0.35449f}, {16, 0.80349f}, {17, 1.0f}, {18, 0.0f},
                                        {19, 0.51806f}, {20, 0.44742f}, {32, 1.0f}, {-1, 0.0f}};
const FactoryPresetValue kPreset19[] = {{5, 0.445f},    {8, 0.255f},    {12, 0.45771f}, {13, 0.94398f},
                                        {15, 0.96938f}, {16, 0.06701f}, {19, 0.71938f}, {20, 0.0f},
                                        {27, 1.0f},     {28, 1.0f},     {-1, 0.0f}};
const FactoryPresetValue kPreset20[] = {
    {4, 0.006f},    {5, 0.66f}, {8, 0.605f},    {10, 0.0f},     {11, 0.0f},     {12, 0.3161f}, {14, 0.53622f},
    {16, 0.69843f}, {17, 1.0f}, {18, 0.40182f}, {19, 0.85713f}, {20, 0.60588f}, {-1, 0.0f}};
const FactoryPresetValue kPreset21[] = {{4, 0.006f},    {5, 0.615f},    {7, 1.0f},     {8, 0.735f},
                                        {10, 0.0f},     {11, 0.0f},     {12, 0.3161f}, {13, 0.87566f},
                                        {14, 0.53622f}, {16, 0.69843f}, {17, 1.0f},    {18, 0.40182f},
                                        {19, 1.0f},     {20, 0.9351f},  {-1, 0.0f}};
const FactoryPresetValue kPreset22[] = {{4, 0.005f},    {5, 0.52f},     {8, 0.5005f},   {10, 0.0f},
                                        {12, 0.05684f}, {14, 0.88146f}, {16, 0.67133f}, {18, 0.22876f},
                                        {19, 0.75614f}, {20, 0.2594f},  {-1, 0.0f}};
const FactoryPresetValue kPreset23[] = {{4, 0.006f},    {5, 0.62f},     {8, 0.5105f},   {10, 0.0f},
                                        {12, 0.31329f}, {14, 0.57422f}, {16, 0.70623f}, {17, 1.0f},
                                        {18, 0.4021f},  {19, 0.74158f}, {20, 0.38907f}, {-1, 0.0f}};
const FactoryPresetValue kPreset24[] = {{4, 0.008f},    {5, 0.72f},     {7, 1.0f},      {8, 0.5005f},
                                        {10, 0.0f},     {11, 0.0f},     {13, 0.63874f}, {14, 0.47165f},
                                        {15, 0.78673f}, {16, 0.55691f}, {17, 1.0f},     {18, 0.0f},
                                        {19, 0.5875f},  {20, 0.16273f}, {-1, 0.0f}};
const FactoryPresetValue kPreset25[] = {{4, 0.006f},    {5, 0.72f},     {7, 1.0f},      {8, 0.5005f},
                                        {10, 0.0f},     {12, 0.29176f}, {13, 0.63874f}, {14, 0.18867f},
                                        {15, 0.83869f}, {16, 0.89528f}, {18, 0.0f},     {19, 0.5875f},
                                        {20, 0.16273f}, {-1, 0.0f}};
const FactoryPresetValue kPreset26[] = {{4, 0.004f},    {5, 0.12f},     {8, 0.5005f},   {10, 0.0f},
                                        {12, 0.47209f}, {13, 0.89254f}, {14, 0.49756f}, {15, 0.6447f},
                                        {16, 0.49614f}, {18, 0.67558f}, {19, 0.92343f}, {20, 0.21246f},
                                        {-1, 0.0f}};
const FactoryPresetValue kPreset27[] = {{4, 0.007f},    {5, 0.12f},     {8, 0.5005f},   {10, 0.0f},
                                        {12, 0.47209f}, {13, 0.89254f}, {14, 0.81794f}, {16, 0.68826f},
                                        {18, 0.67558f}, {19, 0.92343f}, {20, 0.21246f}, {-1, 0.0f}};
const FactoryPresetValue kPreset28[] = {{4, 0.005f},    {5, 0.18f},    {8, 0.5005f},   {10, 0.0f},
                                        {12, 0.28416f}, {13, 0.8643f}, {14, 0.2878f},  {15, 0.79234f},
                                        {16, 0.40712f}, {17, 1.0f},    {18, 0.49022f}, {19, 1.0f},
                                        {20, 0.20519f}, {-1, 0.0f}};
const FactoryPresetValue kPreset29[] = {
    {4, 0.005f},    {5, 0.18f},    {8, 0.5455f},   {10, 0.0f}, {12, 0.14438f}, {13, 0.8643f}, {14, 0.33095f},
    {15, 0.67518f}, {16, 0.5093f}, {18, 0.49022f}, {19, 1.0f}, {20, 0.0f},     {-1, 0.0f}};
const FactoryPresetValue kPreset30[] = {{5, 0.6f},  {8, 0.5705f}, {11, 0.0f},     {16, 0.46325f}, {17, 1.0f},
                                        {18, 0.0f}, {19, 1.0f},   {20, 0.25507f}, {-1, 0.0f}};
const FactoryPresetValue kPreset31[] = {{5, 0.745f},    {8, 0.5705f},   {14, 0.2417f},
                                        {16, 0.56403f}, {17, 1.0f},     {18, 0.2417f},
                                        {19, 1.0f},     {20, 0.36106f}, {-1, 0.0f}};
const FactoryPresetValue kPreset32[] = {{4, 0.008f},    {5, 0.52f},     {8, 0.6205f},   {10, 0.0f},
                                        {12, 0.22413f}, {13, 0.96709f}, {14, 0.42907f}, {15, 0.75727f},
                                        {16, 0.59487f}, {18, 0.2417f},  {19, 0.75317f}, {20, 0.17346f},
                                        {-1, 0.0f}};
const FactoryPresetValue kPreset33[] = {{4, 0.008f},    {5, 0.275f},    {7, 1.0f},      {8, 0.5005f},
                                        {10, 0.0f},     {11, 0.0f},     {12, 0.22413f}, {13, 0.84218f},
                                        {14, 0.42907f}, {15, 0.75727f}, {16, 0.5991f},  {17, 1.0f},
                                        {18, 0.10884f}, {19, 1.0f},     {20, 0.29924f}, {-1, 0.0f}};
const FactoryPresetValue kPreset34[] = {{4, 0.008f},    {5, 0.605f},    {7, 1.0f},      {8, 0.6455f},
                                        {10, 0.0f},     {11, 0.0f},     {12, 0.16795f}, {13, 0.62599f},
                                        {14, 0.42907f}, {15, 0.75727f}, {16, 0.5991f},  {17, 1.0f},
                                        {18, 0.10884f}, {19, 0.46146f}, {20, 0.77352f}, {-1, 0.0f}};
const FactoryPresetValue kPreset35[] = {{4, 0.003f},    {5, 0.31f},     {8, 0.5455f},   {10, 0.0f},
                                        {12, 0.37524f}, {13, 0.83193f}, {14, 0.50034f}, {15, 0.84084f},
                                        {16, 0.83127f}, {17, 1.0f},     {18, 0.36895f}, {19, 1.0f},
                                        {20, 0.37177f}, {-1, 0.0f}};
const FactoryPresetValue kPreset36[] = {{4, 0.006f},   {5, 0.365f},    {8, 0.5005f},   {10, 0.0f}, {11, 0.0f},
                                        {12, 0.1478f}, {13, 0.83193f}, {16, 0.31798f}, {17, 1.0f}, {18, 0.0f},
                                        {19, 1.0f},    {20, 0.72552f}, {-1, 0.0f}};
const FactoryPresetValue kPreset37[] = {{4, 0.007f},    {5, 0.5f},      {7, 1.0f},      {8, 0.5905f},
                                        {10, 0.0f},     {12, 0.20002f}, {13, 0.88151f}, {14, 0.20806f},
                                        {15, 0.67218f}, {16, 0.4158f},  {17, 1.0f},     {18, 0.5403f},
                                        {19, 0.85765f}, {20, 0.75f},    {-1, 0.0f}};
const FactoryPresetValue kPreset38[] = {{4, 0.002f},    {5, 0.695f},    {8, 0.5005f},   {10, 0.0f},
                                        {14, 0.24709f}, {15, 0.64687f}, {16, 0.78958f}, {17, 1.0f},
                                        {18, 0.0f},     {19, 0.86164f}, {20, 0.90441f}, {-1, 0.0f}};
const FactoryPresetValue kPreset39[] = {{4, 0.004f},    {5, 0.815f},    {8, 0.56605f},  {12, 0.30843f},
                                        {13, 0.82981f}, {14, 0.2671f},  {15, 0.92209f}, {16, 0.86763f},
                                        {17, 1.0f},     {18, 0.18912f}, {19, 0.83657f}, {20, 0.85519f},
                                        {33, 0.48295f}, {34, 0.49151f}, {-1, 0.0f}};

const FactoryPresetDescriptor kFactoryPresets[] = {
    {"Tickle my beats", kPreset00},
    {"Percussion pusher", kPreset01},
    {"EP Noodler", kPreset02},
    {"EP filler", kPreset03},
    {"Padster", kPreset04},
    {"Watch out!", kPreset05},
    {"Holllowed out", kPreset06},
    {"Filler", kPreset07},
    {"Vox Space", kPreset08},
    {"Reign it all in", kPreset09},
    {"Pulsegrinder", kPreset10},
    {"Shifty", kPreset11},
    {"Analyser", kPreset12},
    {"Stereo in stereoer out", kPreset13},
    {"Swung left", kPreset14},
    {"Exciter", kPreset15},
    {"Gentle", kPreset16},
    {"Oi oi!", kPreset17},
    {"Get out of my bass", kPreset18},
    {"Bye bye", kPreset19},
    {"Ac Guit 1", kPreset20},
    {"Ac Guit 2", kPreset21},
    {"Drum 1", kPreset22},
    {"Drum 2", kPreset23},
    {"El Guit 1", kPreset24},
    {"El Guit 2", kPreset25},
    {"Mastering 1", kPreset26},
    {"Mastering 2", kPreset27},
    {"Mix 1", kPreset28},
    {"Mix 2", kPreset29},
    {"Mo to St Ac Guit 1", kPreset30},
    {"Mo to St Ac Guit 2", kPreset31},
    {"Mo to St El Guit 1", kPreset32},
    {"Mo to St El Guit 2", kPreset33},
    {"Mo to St El Guit 3", kPreset34},
    {"Piano 1", kPreset35},
    {"Piano 2", kPreset36},
    {"Synth Pad 1", kPreset37},
    {"Synth Pad 2", kPreset38},
    {"Synth Pad 3", kPreset39},
};

} // namespace

int LatiphonixProcessor::getNumFactoryPresets() noexcept
{
    return int(sizeof(kFactoryPresets) / sizeof(kFactoryPresets[0]));
}

const FactoryPresetDescriptor& LatiphonixProcessor::getFactoryPreset(int index) noexcept
{
    return kFactoryPresets[std::clamp(index, 0, getNumFactoryPresets() - 1)];
}

void LatiphonixProcessor::addFactoryPresets()
{
    // The bank starts empty here: the processor adds the presets before any user slot exists.
    for (const auto& preset : kFactoryPresets)
        addFactoryPreset(preset);
}
