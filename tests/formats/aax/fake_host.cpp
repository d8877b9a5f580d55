#include "tests/formats/aax/fake_host.h"

#include <cstdio>
#include <functional>
#include <sstream>

namespace vk::aax::test
{

namespace
{

const std::pair<const Guid*, const char*> kGuidNames[] = {
    {&kIID_IACFUnknown, "IACFUnknown"},
    {&kIID_ComponentFactory, "ComponentFactory"},
    {&kIID_RegisteredCollection, "RegisteredCollection"},
    {&kCLSID_Collection, "CLSID_Collection"},
    {&kIID_Collection, "Collection"},
    {&kCLSID_EffectDescriptor, "CLSID_EffectDescriptor"},
    {&kIID_EffectDescriptor, "EffectDescriptor"},
    {&kIID_EffectDescriptorV2, "EffectDescriptorV2"},
    {&kCLSID_ComponentDescriptor, "CLSID_ComponentDescriptor"},
    {&kIID_ComponentDescriptor, "ComponentDescriptor"},
    {&kIID_ComponentDescriptorV2, "ComponentDescriptorV2"},
    {&kCLSID_PropertyMap, "CLSID_PropertyMap"},
    {&kIID_PropertyMap, "PropertyMap"},
    {&kIID_PropertyMapV2, "PropertyMapV2"},
    {&kCLSID_HostServices, "CLSID_HostServices"},
    {&kIID_HostServices, "HostServices"},
    {&kIID_Controller, "Controller"},
    {&kIID_ControllerV2, "ControllerV2"},
    {&kIID_Transport, "Transport"},
    {&kIID_TransportV2, "TransportV2"},
    {&kIID_AutomationDelegate, "AutomationDelegate"},
    {&kIID_ViewContainer, "ViewContainer"},
    {&kIID_HostProcessorDelegate, "HostProcessorDelegate"},
    {&kIID_HostProcessorDelegateV2, "HostProcessorDelegateV2"},
    {&kIID_EffectGUI, "EffectGUI"},
    {&kIID_HostProcessor, "HostProcessor"},
    {&kIID_EffectParameters, "EffectParameters"},
    {&kIID_EffectParametersV2, "EffectParametersV2"},
};

// Writes the answer a script gives a query or a creation: the object on a grant, and next to an error.
Result scripted(Answer answer, void** out, const std::function<void*()>& object)
{
    *out = nullptr;
    if (answer == Answer::Grant || answer == Answer::ErrorWithPointer)
        *out = object();
    return answer == Answer::Grant || answer == Answer::NullSuccess ? kResultOk : kResultNoSuchInterface;
}

// The root interface: answers each query with the kept object registered for that interface.
class FakeRoot final : public FakeObject<IACFUnknown>
{
public:
    using FakeObject::FakeObject;
    Result QueryInterface(const Guid& iid, void** out) override
    {
        m_host.record("host#0(" + guidName(iid) + ")");
        const bool parameters = iid == kIID_EffectParameters || iid == kIID_EffectParametersV2;
        IACFUnknown* object = parameters && m_host.instanceParameters() != nullptr
                                  ? m_host.instanceParameters()
                                  : m_host.keptObjectFor(iid);
        *out = nullptr;
        return object != nullptr ? object->QueryInterface(iid, out) : kResultNoSuchInterface;
    }
};

class FakeFactory final : public FakeObject<IComponentFactory>
{
public:
    using FakeObject::FakeObject;
    Result CreateInstance(const Guid& classId, IACFUnknown* outer, const Guid& iid, void** out) override
    {
        rec(3, {guidName(classId), arg(outer), guidName(iid)});
        return scripted(m_host.createAnswer(classId), out, [&] { return m_host.create(classId); });
    }
};

class FakeCollection final : public FakeObject<IHostCollection>
{
public:
    using FakeObject::FakeObject;
    Result AddEffect(const char* id, IACFUnknown* descriptor) override
    {
        return rec(7, {arg(id), arg(descriptor)});
    }
    Result SetManufacturerName(const char* name) override { return rec(8, {arg(name)}); }
    Result AddPackageName(const char* name) override { return rec(9, {arg(name)}); }
    Result SetPackageVersion(U32 version) override { return rec(10, {arg(version)}); }
    Result SetProperties(IACFUnknown* map) override { return rec(11, {arg(map)}); }
};

class FakeEffectDescriptor final : public FakeObject<IHostEffectDescriptorV2>
{
public:
    using FakeObject::FakeObject;
    Result AddComponent(IACFUnknown* component) override { return rec(3, {arg(component)}); }
    Result AddName(const char* name) override { return rec(4, {arg(name)}); }
    Result AddCategory(U32 bits) override { return rec(5, {arg(bits)}); }
    Result AddCategoryWith(Opaque a, Opaque b) override { return rec(6, {arg(a), arg(b)}); }
    Result AddProcPtr(CreateObjectProc proc, U32 id) override
    {
        m_host.registration.procs[id] = proc;
        return rec(7, {arg(reinterpret_cast<const void*>(proc)), arg(id)});
    }
    Result SetProperties(IACFUnknown* map) override { return rec(8, {arg(map)}); }
    Result AddResourceInfo(U32 type, const char* file) override { return rec(9, {arg(type), arg(file)}); }
    Result AddMeter(Opaque a, Opaque b, IACFUnknown* map) override
    {
        return rec(10, {arg(a), arg(b), arg(map)});
    }
    Result Operation11(Opaque a, Opaque b, Opaque c, Opaque d) override
    {
        return rec(11, {arg(a), arg(b), arg(c), arg(d)});
    }
};

class FakeComponentDescriptor final : public FakeObject<IHostComponentDescriptorV2>
{
public:
    using FakeObject::FakeObject;
    Result Clear() override { return rec(3); }
    Result FieldOperation4(Opaque a) override { return op(4, a); }
    Result AddAudioIn(U32 field) override { return rec(5, {arg(field)}); }
    Result AddAudioOut(U32 field) override { return rec(6, {arg(field)}); }
    Result AddAudioBufferLength(U32 field) override { return rec(7, {arg(field)}); }
    Result FieldOperation8(Opaque a) override { return op(8, a); }
    Result FieldOperation9(Opaque a) override { return op(9, a); }
    Result FieldOperation10(Opaque a) override { return op(10, a); }
    Result FieldOperation11(Opaque a) override { return op(11, a); }
    Result FieldOperation12(Opaque a) override { return op(12, a); }
    Result AddPrivateData(U32 field, I32 size, U32 options) override
    {
        return rec(13, {arg(field), arg(size), arg(options)});
    }
    Result FieldOperation14(Opaque a) override { return op(14, a); }
    Result FieldOperation15(Opaque a, Opaque b, Opaque c, Opaque d) override
    {
        return rec(15, {arg(a), arg(b), arg(c), arg(d)});
    }
    Result AddProcessProc(NativeProcessProc proc, IACFUnknown* map, Opaque a, Opaque b, Opaque c) override
    {
        RegisteredComponent component;
        component.processProc = proc;
        if (const auto* properties = dynamic_cast<const FakePropertyMap*>(map))
            component.properties = properties->properties;
        m_host.registration.components.push_back(component);
        return rec(16, {arg(reinterpret_cast<const void*>(proc)), arg(map), arg(a), arg(b), arg(c)});
    }
    Result AddProcessProcWith(Opaque a, Opaque b, IACFUnknown* map, Opaque c, Opaque d, Opaque e) override
    {
        return rec(17, {arg(a), arg(b), arg(map), arg(c), arg(d), arg(e)});
    }
    Result FieldOperation18(Opaque a) override { return op(18, a); }
    Result Operation19(Opaque a) override { return op(19, a); }
};

class FakeHostServices final : public FakeObject<IHostServices>
{
public:
    using FakeObject::FakeObject;
    Result Operation3(Opaque a) override { return op(3, a); }
    Result Trace(I32 priority, const char* text) override { return rec(4, {arg(priority), arg(text)}); }
};

class FakeAutomationDelegate final : public FakeObject<IHostAutomationDelegate>
{
public:
    using FakeObject::FakeObject;
    Result RegisterParameter(const char* id) override { return rec(3, {arg(id)}); }
    Result UnregisterParameter(const char* id) override { return rec(4, {arg(id)}); }
    Result PostSetValueRequest(const char* id, double value) override
    {
        return rec(5, {arg(id), arg(value)});
    }
    Result PostCurrentValue(const char* id, double value) override { return rec(6, {arg(id), arg(value)}); }
    Result PostTouchRequest(const char* id) override { return rec(7, {arg(id)}); }
    Result PostReleaseRequest(const char* id) override { return rec(8, {arg(id)}); }
    Result Operation9(Opaque a) override { return rec(9, {arg(a)}); }

private:
    // Every operation runs the host's own code around it first.
    Result rec(int position, const std::vector<std::string>& args) const
    {
        if (m_host.onAutomation)
            m_host.onAutomation();
        return FakeObject::rec(position, args);
    }
};

class FakeProcessorDelegate final : public FakeObject<IHostProcessorDelegateV2>
{
public:
    using FakeObject::FakeObject;
    Result GetAudio(const float* const* inputs, I32 count, I64 location, I32* windowSize) override
    {
        return rec(3, {arg(static_cast<const void*>(inputs)), arg(count), arg(location), arg(*windowSize)});
    }
    I32 GetSideChainInputNum() override { return rec(4); }
    Result Operation5(Opaque a) override { return op(5, a); }
};

} // namespace

std::string guidName(const Guid& iid)
{
    for (const auto& [guid, name] : kGuidNames)
        if (*guid == iid)
            return name;
    return "unknown-guid";
}

std::string arg(const char* text)
{
    return text != nullptr ? "\"" + std::string(text) + "\"" : "null";
}

std::string arg(double value)
{
    std::ostringstream stream;
    stream << value;
    return stream.str();
}

std::string arg(std::int64_t value)
{
    return std::to_string(value);
}

std::string arg(const void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return pointer != nullptr ? text : "null";
}

std::string arg(IACFUnknown* object)
{
    if (object == nullptr)
        return "null";
    const auto* fake = dynamic_cast<const FakeBase*>(object);
    return fake != nullptr ? fake->name() : "foreign";
}

FakeBase::FakeBase(FakeHost& host, std::string name, std::vector<Guid> iids)
    : m_host(host), m_name(std::move(name)), m_iids(std::move(iids))
{
}

FakeBase::~FakeBase()
{
    if (created)
        m_host.createdObjectGone(this);
}

bool FakeBase::implements(const Guid& iid) const
{
    for (const auto& own : m_iids)
        if (own == iid)
            return true;
    return false;
}

Result FakeBase::answerQuery(IACFUnknown* self, const Guid& iid, void** out)
{
    m_host.record(m_name + "#0(" + guidName(iid) + ")");
    const Answer answer = implements(iid) ? m_host.queryAnswer(iid) : Answer::Refuse;
    return scripted(answer, out,
                    [&]() -> void*
                    {
                        addRef();
                        return self;
                    });
}

std::uint32_t FakeBase::addRef()
{
    m_host.record(m_name + "#1");
    return std::uint32_t(++m_refs);
}

std::uint32_t FakeBase::release()
{
    m_host.record(m_name + "#2");
    const int refs = --m_refs;
    if (refs == 0)
        delete this;
    return std::uint32_t(refs);
}

Result FakeBase::rec(int position, const std::vector<std::string>& args) const
{
    std::string text;
    for (const auto& part : args)
        text += (text.empty() ? "" : ",") + part;
    m_host.record(m_name + "#" + std::to_string(position) + "(" + text + ")");
    return m_host.succeed ? kResultOk : kFakeResultBase + position;
}

Result FakeTransport::answer(int position, std::initializer_list<std::function<void()>> writes) const
{
    if (m_host.onTransport)
        m_host.onTransport();
    const bool fails = failing.count(position) != 0;
    for (const auto& write : writes)
        if (!fails)
            write();
    const Result result = rec(position, std::vector<std::string>(writes.size(), "out"));
    return fails ? kFakeResultBase + position : result;
}

Result FakeEffectParameters::GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const
{
    rec(18, {arg(index), "out"});
    if (index < 0 || std::size_t(index) >= ids.size() || ids[std::size_t(index)].empty())
        return kResultUnknownParameter;
    id->Set(ids[std::size_t(index)].c_str());
    return kResultOk;
}

bool FakePropertyMap::GetProperty(std::uint32_t id, std::int32_t* value) const
{
    rec(3, {arg(id)});
    const auto found = properties.find(id);
    if (found == properties.end())
        return false;
    *value = found->second;
    return true;
}

template <typename Fake>
Fake* FakeHost::keep(const char* name, std::vector<Guid> iids, bool fromRoot)
{
    auto* object = new Fake(*this, name, std::move(iids));
    m_kept.push_back(object);
    if (fromRoot)
        m_fromRoot.push_back(object);
    return object;
}

FakeHost::FakeHost()
{
    m_root = keep<FakeRoot>("host", {}, false);
    keep<FakeFactory>("factory", {kIID_ComponentFactory});
    m_controller = keep<FakeController>("controller", {kIID_Controller});
    m_controller2 = keep<FakeController>("controller2", {kIID_ControllerV2});
    m_transport = keep<FakeTransport>("transport", {kIID_Transport});
    m_transport2 = keep<FakeTransport>("transport2", {kIID_TransportV2});
    keep<FakeAutomationDelegate>("automation", {kIID_AutomationDelegate});
    m_viewContainer = keep<FakeViewContainer>("view", {kIID_ViewContainer}, false);
    m_processorDelegate =
        keep<FakeProcessorDelegate>("delegate", {kIID_HostProcessorDelegate, kIID_HostProcessorDelegateV2});
    m_effectParameters = keep<FakeEffectParameters>("parameters", {kIID_EffectParameters});
}

FakeHost::~FakeHost()
{
    for (auto* object : m_kept)
        delete object;
}

IACFUnknown* FakeHost::root() const
{
    return m_root;
}

void FakeHost::clearLog()
{
    const std::lock_guard<std::mutex> guard(m_logLock);
    m_log.clear();
}

void FakeHost::record(std::string entry)
{
    const std::lock_guard<std::mutex> guard(m_logLock);
    m_log.push_back(std::move(entry));
}

std::vector<std::string> FakeHost::calls(const std::string& objectName) const
{
    const std::lock_guard<std::mutex> guard(m_logLock);
    std::vector<std::string> result;
    const std::string prefix = objectName + "#";
    for (const auto& entry : m_log)
        if (entry.compare(0, prefix.size(), prefix) == 0 &&
            entry.compare(0, prefix.size() + 1, prefix + "0") != 0 && entry != prefix + "1" &&
            entry != prefix + "2")
            result.push_back(entry);
    return result;
}

bool FakeHost::balanced() const
{
    for (const auto* object : m_kept)
        if (object->refs() != 1)
            return false;
    return m_liveCreated == 0;
}

IACFUnknown* FakeHost::keptObjectFor(const Guid& iid) const
{
    for (auto* object : m_fromRoot)
        if (object->implements(iid))
            return dynamic_cast<IACFUnknown*>(object);
    return nullptr;
}

IACFUnknown* FakeHost::create(const Guid& classId)
{
    const auto name = [this](const std::string& kind) { return kind + std::to_string(++m_counters[kind]); };
    FakeBase* object = nullptr;
    if (classId == kCLSID_Collection)
        object = new FakeCollection(*this, name("collection"), {kIID_Collection, kIID_RegisteredCollection});
    else if (classId == kCLSID_EffectDescriptor)
        object =
            new FakeEffectDescriptor(*this, name("effect"), {kIID_EffectDescriptor, kIID_EffectDescriptorV2});
    else if (classId == kCLSID_ComponentDescriptor)
        object = new FakeComponentDescriptor(*this, name("component"),
                                             {kIID_ComponentDescriptor, kIID_ComponentDescriptorV2});
    else if (classId == kCLSID_PropertyMap)
        object = m_lastPropertyMap =
            new FakePropertyMap(*this, name("map"), {kIID_PropertyMap, kIID_PropertyMapV2});
    else if (classId == kCLSID_HostServices)
        object = new FakeHostServices(*this, name("services"), {kIID_HostServices});
    if (object == nullptr)
        return nullptr;
    object->created = true;
    ++m_liveCreated;
    return dynamic_cast<IACFUnknown*>(object);
}

void FakeHost::createdObjectGone(const FakeBase* object)
{
    --m_liveCreated;
    if (object == m_lastPropertyMap)
        m_lastPropertyMap = nullptr;
}

} // namespace vk::aax::test
