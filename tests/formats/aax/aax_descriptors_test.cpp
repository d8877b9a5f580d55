// The description wrappers and host services against the fake host's factory: what is created, what
// each operation hands the host, what a host without an object answers, and that every created host
// object is released when the wrappers go.

#include "formats/aax/aax_collection.h"
#include "formats/aax/aax_host_object_factory.h"
#include "formats/aax/aax_host_services.h"
#include "tests/formats/aax/fake_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace vk::aax;
using vk::aax::test::Answer;
using vk::aax::test::FakeHost;
using Calls = std::vector<std::string>;

IACFUnknown* createNothing()
{
    return nullptr;
}
void processNothing(void* const*, const void*) {}

TEST(AaxDescriptors, ADescriptionReachesTheHostInOrder)
{
    FakeHost host;
    {
        AAX_VCollection collection(host.root());
        AAX_IEffectDescriptor* effect = collection.NewDescriptor();
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(effect->AddName("VEKLA Latiphonix3"), 1004);
        EXPECT_EQ(effect->AddCategory(0x200), 1005);
        EXPECT_EQ(effect->AddResourceInfo(1, "page.xml"), 1009);
        EXPECT_EQ(effect->AddProcPtr(&createNothing, 3), 1007);

        AAX_IComponentDescriptor* component = effect->NewComponentDescriptor();
        EXPECT_EQ(component->AddAudioIn(0), 1005);
        EXPECT_EQ(component->AddAudioOut(1), 1006);
        EXPECT_EQ(component->AddAudioBufferLength(2), 1007);
        EXPECT_EQ(component->AddPrivateData(3, 8, 0), 1013);
        AAX_IPropertyMap* map = component->NewPropertyMap();
        EXPECT_EQ(map->AddProperty(11, 0x564B4C41), 1004);
        std::int32_t value = 0;
        EXPECT_TRUE(map->GetProperty(11, &value));
        EXPECT_EQ(value, 0x564B4C41);
        EXPECT_EQ(component->AddProcessProc(&processNothing, map), 1016);
        EXPECT_EQ(effect->AddComponent(component), 1003);
        EXPECT_EQ(collection.AddEffect("com.vekla.Latiphonix", effect), 1007);
        EXPECT_EQ(collection.SetManufacturerName("VEKLA Audio"), 1008);
        EXPECT_EQ(collection.AddPackageName("VEKLA Latiphonix3"), 1009);
        EXPECT_EQ(collection.SetPackageVersion(0x03020903), 1010);

        EXPECT_EQ(host.calls("factory"),
                  (Calls{"factory#3(CLSID_Collection,null,Collection)",
                         "factory#3(CLSID_EffectDescriptor,null,EffectDescriptor)",
                         "factory#3(CLSID_ComponentDescriptor,null,ComponentDescriptor)",
                         "factory#3(CLSID_PropertyMap,null,PropertyMap)"}));
        EXPECT_EQ(host.calls("component1")[4],
                  "component1#16(" + vk::aax::test::arg(reinterpret_cast<const void*>(&processNothing)) +
                      ",map1,null,null,null)");
        EXPECT_EQ(host.calls("effect1").back(), "effect1#3(component1)");
        EXPECT_EQ(host.calls("collection1"),
                  (Calls{"collection1#7(\"com.vekla.Latiphonix\",effect1)", "collection1#8(\"VEKLA Audio\")",
                         "collection1#9(\"VEKLA Latiphonix3\")", "collection1#10(50465027)"}));
        EXPECT_EQ(host.liveCreated(), 4);
        host.clearLog();
    }
    // Components before their descriptor's maps; each wrapper's second version, then its interface, then
    // its reference to the host.
    EXPECT_EQ(host.log(), (Calls{"map1#2", "map1#2", "component1#2", "component1#2", "host#2", "effect1#2",
                                 "effect1#2", "host#2", "collection1#2", "host#2"}));
    EXPECT_TRUE(host.balanced());
}

TEST(AaxDescriptors, EverySlotForwardsToItsPosition)
{
    FakeHost host;
    AAX_VCollection collection(host.root());
    AAX_IEffectDescriptor* effect = collection.NewDescriptor();
    AAX_IComponentDescriptor* component = effect->NewComponentDescriptor();
    AAX_IPropertyMap* effectMap = effect->NewPropertyMap();
    const Opaque x = reinterpret_cast<Opaque>(std::uintptr_t(0x70));
    host.clearLog();

    const std::vector<Result> componentResults{component->Clear(),
                                               component->FieldOperation8(x),
                                               component->FieldOperation9(x),
                                               component->FieldOperation10(x),
                                               component->FieldOperation11(x),
                                               component->FieldOperation12(x),
                                               component->Operation19(x),
                                               component->FieldOperation14(x),
                                               component->FieldOperation18(x),
                                               component->FieldOperation15(x, x, x, x),
                                               component->FieldOperation4(x),
                                               component->AddProcessProcWith(x, x, nullptr, x, x, x)};
    EXPECT_EQ(componentResults,
              (std::vector<Result>{1003, 1008, 1009, 1010, 1011, 1012, 1019, 1014, 1018, 1015, 1004, 1017}));
    EXPECT_EQ(host.calls("component1").back(), "component1#17(0x70,0x70,null,0x70,0x70,0x70)");

    EXPECT_EQ(effect->AddCategoryWith(x, x), 1006);
    EXPECT_EQ(effect->SetProperties(effectMap), 1008);
    EXPECT_EQ(effect->SetProperties(nullptr), 1008);
    EXPECT_EQ(effect->AddMeter(x, x, effectMap), 1010);
    EXPECT_EQ(effect->Operation11(x, x, x, x), 1011);
    EXPECT_EQ(host.calls("effect1"),
              (Calls{"effect1#6(0x70,0x70)", "effect1#8(map1)", "effect1#8(null)",
                     "effect1#10(0x70,0x70,map1)", "effect1#11(0x70,0x70,0x70,0x70)"}));

    EXPECT_EQ(effectMap->RemoveProperty(12), 1005);
    EXPECT_EQ(effectMap->AddPropertyWith(12, x), 1006);
    Opaque out = x;
    EXPECT_TRUE(effectMap->GetPropertyWith(12, &out));
    EXPECT_EQ(collection.SetProperties(collection.NewPropertyMap()), 1011);
    EXPECT_EQ(collection.SetProperties(nullptr), 1011);
    EXPECT_EQ(host.calls("collection1"), (Calls{"collection1#11(map2)", "collection1#11(null)"}));
}

TEST(AaxDescriptors, DuplicatingAMapCopiesPropertiesTenTo351)
{
    FakeHost host;
    {
        AAX_VEffectDescriptor effect(host.root());
        AAX_IComponentDescriptor* component = effect.NewComponentDescriptor();
        AAX_IPropertyMap* source = component->NewPropertyMap();
        for (const std::uint32_t id : {9u, 10u, 200u, 351u, 352u})
            source->AddProperty(id, std::int32_t(id) * 2);
        component->DuplicatePropertyMap(source);
        const auto* copy = host.lastPropertyMap();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->properties,
                  (std::map<std::uint32_t, std::int32_t>{{10, 20}, {200, 400}, {351, 702}}));
        EXPECT_EQ(host.calls(copy->name()).size(), 3u); // only the adds; the reads go to the source
        EXPECT_EQ(host.calls("map1").size(), 5u + 342u);
    }
    EXPECT_TRUE(host.balanced());
}

TEST(AaxDescriptors, WithoutHostObjectsEveryOperationAnswersAsAbsent)
{
    FakeHost host;
    host.answerCreate(kCLSID_Collection, Answer::Refuse);
    host.answerCreate(kCLSID_EffectDescriptor, Answer::NullSuccess);
    host.answerCreate(kCLSID_ComponentDescriptor, Answer::ErrorWithPointer);
    host.answerCreate(kCLSID_PropertyMap, Answer::ErrorWithPointer);
    {
        AAX_VCollection collection(host.root());
        EXPECT_EQ(collection.HostObject(), nullptr);
        EXPECT_EQ(collection.AddEffect("id", nullptr), kResultNoHostInterface);
        AAX_IEffectDescriptor* effect = collection.NewDescriptor();
        EXPECT_EQ(effect->HostObject(), nullptr);
        EXPECT_EQ(collection.AddEffect("id", effect), kResultNoHostInterface);
        EXPECT_EQ(collection.SetPackageVersion(1), kResultNoHostInterface);
        EXPECT_EQ(effect->AddName("x"), kResultNoHostInterface);
        EXPECT_EQ(effect->Operation11(nullptr, nullptr, nullptr, nullptr), kResultNotImplemented);
        AAX_IComponentDescriptor* component = effect->NewComponentDescriptor();
        EXPECT_EQ(component->AddAudioIn(0), kResultNoHostInterface);
        EXPECT_EQ(component->Operation19(nullptr), kResultNotImplemented);
        AAX_IPropertyMap* map = component->NewPropertyMap();
        std::int32_t value = 5;
        EXPECT_FALSE(map->GetProperty(11, &value));
        EXPECT_EQ(value, 5);
        EXPECT_EQ(map->AddProperty(11, 1), kResultNoHostInterface);
        EXPECT_EQ(map->AddPropertyWith(11, nullptr), kResultNotImplemented);
        EXPECT_EQ(effect->AddComponent(component), kResultNoHostInterface);
        EXPECT_EQ(host.liveCreated(), 0); // the pointers written next to errors were released at once
    }
    AAX_VCollection none(nullptr);
    EXPECT_EQ(none.NewDescriptor()->AddName("x"), kResultNoHostInterface);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxDescriptors, SecondVersionsAreAskedOfTheCreatedObjects)
{
    FakeHost host;
    host.answerQuery(kIID_EffectDescriptorV2, Answer::NullSuccess);
    host.answerQuery(kIID_ComponentDescriptorV2, Answer::ErrorWithPointer);
    {
        AAX_VEffectDescriptor effect(host.root());
        EXPECT_EQ(effect.AddName("x"), 1004);
        EXPECT_EQ(effect.Operation11(nullptr, nullptr, nullptr, nullptr), kResultNotImplemented);
        AAX_IComponentDescriptor* component = effect.NewComponentDescriptor();
        EXPECT_EQ(component->Operation19(nullptr), kResultNotImplemented);
        EXPECT_EQ(component->Clear(), 1003);
    }
    EXPECT_TRUE(host.balanced());
}

TEST(AaxDescriptors, AFactoryAnsweredAsNullWithSuccessThrowsAndLeaksNothing)
{
    FakeHost host;
    host.answerQuery(kIID_ComponentFactory, Answer::NullSuccess);
    try
    {
        AAX_VCollection collection(host.root());
        FAIL() << "no exception";
    }
    catch (const AcfError& error)
    {
        EXPECT_EQ(error.code(), kResultNullFactory);
    }
    EXPECT_TRUE(host.balanced());

    host.answerQuery(kIID_ComponentFactory, Answer::ErrorWithPointer);
    AAX_VPropertyMap map(host.root());
    EXPECT_EQ(map.HostObject(), nullptr);
    EXPECT_TRUE(host.balanced());
}

Result describeOneEffect(AAX_ICollection& collection)
{
    AAX_IEffectDescriptor* effect = collection.NewDescriptor();
    effect->AddName("one");
    return collection.AddEffect("com.vekla.Latiphonix", effect) == 1007 ? kResultOk : kResultNoHostInterface;
}

Result describeFailing(AAX_ICollection&)
{
    return -20099;
}

TEST(AaxHostServices, RegistrationHandsTheHostItsCollection)
{
    FakeHost host;
    IACFUnknown* registered = nullptr;
    EXPECT_EQ(RegisterPlugin(host.root(), &registered, &describeOneEffect), kResultOk);
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(host.liveCreated(), 1); // the host's own reference keeps its collection
    registered->Release();
    EXPECT_TRUE(host.balanced());

    registered = reinterpret_cast<IACFUnknown*>(std::uintptr_t(0x1));
    EXPECT_EQ(RegisterPlugin(host.root(), &registered, &describeFailing), -20099);
    host.answerQuery(kIID_RegisteredCollection, Answer::ErrorWithPointer);
    EXPECT_EQ(RegisterPlugin(host.root(), &registered, &describeOneEffect), kResultNoHostInterface);
    EXPECT_EQ(registered, nullptr);
    host.answerCreate(kCLSID_Collection, Answer::Refuse);
    EXPECT_EQ(RegisterPlugin(host.root(), &registered, &describeOneEffect), kResultNoHostInterface);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxHostServices, TraceGoesThroughTheWrapperHeldFromStartUpToShutDown)
{
    FakeHost host;
    EXPECT_EQ(AAX_Trace(0x08000000, "before %d", 1), kResultOk);
    SetHostServices(host.root());
    SetHostServices(host.root()); // a second start-up keeps the first wrapper
    EXPECT_EQ(host.liveCreated(), 1);

    host.clearLog();
    EXPECT_EQ(AAX_Trace(0x08000000, "AAX_CChunkDataParser::GetChunkData ERROR: %s", "overflow"), 1004);
    EXPECT_EQ(host.calls("services1"),
              Calls{"services1#4(134217728,\"AAX_CChunkDataParser::GetChunkData ERROR: overflow\")"});

    const std::string longText(2000, 'x');
    host.clearLog();
    AAX_Trace(1, "%s", longText.c_str());
    EXPECT_EQ(host.calls("services1"), Calls{"services1#4(1,\"" + std::string(511, 'x') + "\")"});

    SetHostServices(nullptr);
    SetHostServices(nullptr);
    host.clearLog();
    EXPECT_EQ(AAX_Trace(1, "after"), kResultOk);
    EXPECT_TRUE(host.log().empty());
    EXPECT_TRUE(host.balanced());
}

} // namespace
