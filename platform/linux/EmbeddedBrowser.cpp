// The toolkit makes its WebKit views itself, in WebKit's default context, with no way
// to hand either a private data manager. The default context is built through its
// class's GObject constructor, though, which sees every construct property before the
// context exists: there an ephemeral website data manager takes the place of the
// default one, which would keep caches and storage under the program's name in
// ~/.cache and ~/.local/share. Views made in an ephemeral context are ephemeral too.
// The engine is found in the process by name, so nothing here needs its headers or
// links it.
#include <dlfcn.h>
#include <glib-object.h>

#include <cstring>

#include "platform/EmbeddedBrowser.h"

namespace platform {

namespace {

using Constructor = GObject* (*)(GType, guint, GObjectConstructParam*);
using ObjectMaker = gpointer (*)();
Constructor contextConstructor = nullptr;
ObjectMaker newEphemeralDataManager = nullptr;

GObject* ConstructEphemeral(GType type, guint count, GObjectConstructParam* properties) {
    for (guint n = 0; n < count; ++n) {
        GValue* value = properties[n].value;
        if (std::strcmp(g_param_spec_get_name(properties[n].pspec), "website-data-manager") == 0 &&
            G_VALUE_HOLDS_OBJECT(value) && !g_value_get_object(value)) {
            g_value_take_object(value, newEphemeralDataManager());
        }
    }
    return contextConstructor(type, count, properties);
}

}  // namespace

bool MakeEmbeddedBrowsersEphemeral() {
    using TypeGetter = GType (*)();
    const auto contextType = reinterpret_cast<TypeGetter>(dlsym(RTLD_DEFAULT, "webkit_web_context_get_type"));
    newEphemeralDataManager =
        reinterpret_cast<ObjectMaker>(dlsym(RTLD_DEFAULT, "webkit_website_data_manager_new_ephemeral"));
    if (!contextType || !newEphemeralDataManager) return false;
    // The class stays referenced for the whole run, so the changed constructor stays.
    auto* contextClass = static_cast<GObjectClass*>(g_type_class_ref(contextType()));
    if (!g_object_class_find_property(contextClass, "website-data-manager")) return false;
    if (contextClass->constructor != ConstructEphemeral) {
        contextConstructor = contextClass->constructor;
        contextClass->constructor = ConstructEphemeral;
    }
    return true;
}

}  // namespace platform
