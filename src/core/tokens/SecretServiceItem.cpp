// Built with QT_NO_KEYWORDS: GLib's headers use "signals" as a name.
#include "tokens/SecretServiceItem.h"

#include "tokens/KeychainTokenStoreError.h"

#include <libsecret/secret.h>

#include <memory>

namespace orvane {

namespace {

const SecretSchema* tokenSchema()
{
    static const SecretSchema schema = [] {
        SecretSchema definition{}; // the unused attribute slots and reserved fields stay zero
        definition.name = "app.orvane.Orvane.OAuthTokenSet";
        definition.flags = SECRET_SCHEMA_NONE;
        definition.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        definition.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return definition;
    }();
    return &schema;
}

struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using Attributes = std::unique_ptr<GHashTable, HashTableUnref>;

struct ItemListFree {
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
};
using ItemList = std::unique_ptr<GList, ItemListFree>;

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Service = std::unique_ptr<SecretService, ObjectUnref>;

struct SecretValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
using Value = std::unique_ptr<SecretValue, SecretValueUnref>;

// Owns the GError a libsecret call may set.
class ErrorSlot {
public:
    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;
    ~ErrorSlot()
    {
        if (error_)
            g_error_free(error_);
    }

    GError** out() { return &error_; }

    void throwIfSet() const
    {
        if (error_)
            throw KeychainTokenStoreError(QString::fromUtf8(g_quark_to_string(error_->domain)), error_->code,
                                          QString::fromUtf8(error_->message));
    }

private:
    GError* error_ = nullptr;
};

Attributes attributes(const QString& service, const QString& account)
{
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
    g_hash_table_insert(table, g_strdup("service"), g_strdup(service.toUtf8().constData()));
    g_hash_table_insert(table, g_strdup("account"), g_strdup(account.toUtf8().constData()));
    return Attributes(table);
}

// GLib keeps a worker thread it no longer needs (libsecret's first call
// starts one) waiting 15 s for more work before it ends it: a wake-up of an
// Orvane idling in the tray. Keyring calls come far apart; such a thread may
// as well end when its work is done.
void endIdleGLibThreadsAtOnce()
{
    static const bool isSet = [] {
        g_thread_pool_set_max_unused_threads(0);
        return true;
    }();
    Q_UNUSED(isSet);
}

} // namespace

std::optional<QByteArray> SecretServiceItem::readSecret() const
{
    endIdleGLibThreadsAtOnce();
    // A search rather than a lookup: a lookup answers "no item" when the user
    // declines to unlock the keyring, which would pass for signed out.
    ErrorSlot error;
    const ItemList items(secret_password_searchv_sync(tokenSchema(), attributes(service_, account_).get(),
                                                      static_cast<SecretSearchFlags>(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
                                                      nullptr, error.out()));
    error.throwIfSet();
    if (!items)
        return std::nullopt;
    // An item that stayed locked has no secret to give and reports why.
    const Value value(secret_retrievable_retrieve_secret_sync(SECRET_RETRIEVABLE(items.get()->data), nullptr,
                                                              error.out()));
    error.throwIfSet();
    if (!value)
        throw KeychainTokenStoreError(QString(), 0, QStringLiteral("the item holds no secret"));
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    return QByteArray(bytes, static_cast<qsizetype>(length));
}

void SecretServiceItem::writeSecret(const QByteArray& secret, const QString& label) const
{
    endIdleGLibThreadsAtOnce();
    const Value value(secret_value_new(secret.constData(), secret.size(), "application/json"));
    ErrorSlot error;
    secret_password_storev_binary_sync(tokenSchema(), attributes(service_, account_).get(), SECRET_COLLECTION_DEFAULT,
                                       label.toUtf8().constData(), value.get(), nullptr, error.out());
    error.throwIfSet();
}

void SecretServiceItem::remove() const
{
    endIdleGLibThreadsAtOnce();
    // Not secret_password_clear: it deletes unlocked items only and reports
    // success while a locked keyring keeps the tokens. The search unlocks the
    // item's collection first, through the keyring's own prompt.
    ErrorSlot error;
    const Service service(secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, error.out()));
    error.throwIfSet();
    const ItemList items(secret_service_search_sync(service.get(), tokenSchema(), attributes(service_, account_).get(),
                                                    static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK),
                                                    nullptr, error.out()));
    error.throwIfSet();
    for (const GList* node = items.get(); node; node = node->next) {
        SecretItem* item = SECRET_ITEM(node->data);
        if (secret_item_get_locked(item)) {
            const QString reason = QStringLiteral("it stayed locked, so the Google sign-in could not be removed");
            throw KeychainTokenStoreError(QString::fromUtf8(g_quark_to_string(SECRET_ERROR)), SECRET_ERROR_IS_LOCKED,
                                          reason);
        }
        secret_item_delete_sync(item, nullptr, error.out());
        error.throwIfSet();
    }
}

bool SecretServiceItem::existsWithoutUnlocking() const
{
    endIdleGLibThreadsAtOnce();
    ErrorSlot error;
    // Neither SECRET_SEARCH_UNLOCK nor SECRET_SEARCH_LOAD_SECRETS: only attributes are read.
    const ItemList items(secret_password_searchv_sync(tokenSchema(), attributes(service_, account_).get(),
                                                      SECRET_SEARCH_NONE, nullptr, error.out()));
    error.throwIfSet();
    return items != nullptr;
}

} // namespace orvane
