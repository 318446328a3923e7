#include "tools/ctl/watch/mqtt_publisher.h"

#include <mosquitto.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace pelta::watch {
namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kLoopWaitMs = 200;  // how long the thread may take to notice a stop request
constexpr int kFirstRetrySeconds = 1;
constexpr int kLastRetrySeconds = 10;
const char kHomeAssistantStatus[] = "homeassistant/status";

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

}  // namespace

MqttPublisher::MqttPublisher(const MqttTarget& target, const QString& port)
    : target_(target), port_(port) {
    InitLibraryOnce();
    const QByteArray clientId =
        QStringLiteral("pelta-%1-%2").arg(TopicSafePort(port)).arg(getpid()).toUtf8();
    client_ = mosquitto_new(clientId.constData(), true, this);
    mosquitto_threaded_set(client_, true);  // Publish then only queues; the thread writes
    mosquitto_connect_callback_set(client_, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(client_, &MqttPublisher::OnDisconnect);
    mosquitto_message_callback_set(client_, &MqttPublisher::OnMessage);
    const QByteArray willTopic = PublisherAvailabilityTopic(port).toUtf8();
    mosquitto_will_set(client_, willTopic.constData(), 7, "offline", 1, true);
    if (!target_.user.isEmpty()) {
        mosquitto_username_pw_set(client_, target_.user.toUtf8().constData(),
                                  target_.password.toUtf8().constData());
    }
    thread_ = std::thread([this] { Run(); });
}

MqttPublisher::~MqttPublisher() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopRequested_.notify_all();
    thread_.join();
    mosquitto_destroy(client_);
}

void MqttPublisher::Publish(const std::vector<Reading>& round) {
    std::lock_guard lock(mutex_);
    for (const Reading& reading : round) {
        const bool known = latest_.count(reading.address) > 0;
        latest_[reading.address] = reading;
        if (!connected_) {
            continue;  // sent on connecting
        }
        if (!known) {
            Send(DiscoveryMessages(port_, reading.address));
        }
        Send(StateMessages(reading));
    }
}

void MqttPublisher::Run() {
    int retrySeconds = kFirstRetrySeconds;
    while (!stopping_) {
        servedThisTry_ = false;
        ConnectAndServe();
        if (servedThisTry_) {
            retrySeconds = kFirstRetrySeconds;
        }
        std::unique_lock lock(mutex_);
        stopRequested_.wait_for(lock, std::chrono::seconds(retrySeconds),
                                [this] { return stopping_.load(); });
        retrySeconds = std::min(retrySeconds * 2, kLastRetrySeconds);
    }
    SayGoodbye();
}

void MqttPublisher::ConnectAndServe() {
    const QByteArray host = target_.host.toUtf8();
    if (mosquitto_connect_async(client_, host.constData(), target_.port, kKeepAliveSeconds) !=
        MOSQ_ERR_SUCCESS) {
        return;
    }
    while (!stopping_ && mosquitto_loop(client_, kLoopWaitMs, 1) == MOSQ_ERR_SUCCESS) {
    }
}

void MqttPublisher::SayGoodbye() {
    if (!connected_) {
        return;
    }
    const QByteArray topic = PublisherAvailabilityTopic(port_).toUtf8();
    mosquitto_publish(client_, nullptr, topic.constData(), 7, "offline", 1, true);
    mosquitto_disconnect(client_);
    // Let the thread's loop write both out; a broker that does not take them in a second gets
    // the last will instead.
    for (int i = 0;
         i < 1000 / kLoopWaitMs && mosquitto_loop(client_, kLoopWaitMs, 1) == MOSQ_ERR_SUCCESS;
         ++i) {
    }
}

void MqttPublisher::OnConnect(mosquitto* client, void* self, int result) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    if (result != 0) {
        return;  // refused (a wrong password, say): the thread tries again later
    }
    mosquitto_subscribe(client, nullptr, kHomeAssistantStatus, 1);
    std::lock_guard lock(publisher->mutex_);
    publisher->connected_ = true;
    publisher->servedThisTry_ = true;
    const QByteArray topic = PublisherAvailabilityTopic(publisher->port_).toUtf8();
    mosquitto_publish(client, nullptr, topic.constData(), 6, "online", 1, true);
    publisher->SendAll(true);
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int) {
    static_cast<MqttPublisher*>(self)->connected_ = false;
}

void MqttPublisher::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
    if (qstrcmp(message->topic, kHomeAssistantStatus) != 0 || payload != "online") {
        return;
    }
    // Home Assistant has started again and forgotten what it was told.
    auto* publisher = static_cast<MqttPublisher*>(self);
    std::lock_guard lock(publisher->mutex_);
    publisher->SendAll(false);
}

void MqttPublisher::SendAll(bool withStates) {
    for (const auto& [address, reading] : latest_) {
        Send(DiscoveryMessages(port_, address));
        if (withStates) {
            Send(StateMessages(reading));
        }
    }
}

void MqttPublisher::Send(const std::vector<MqttMessage>& messages) {
    for (const MqttMessage& message : messages) {
        const QByteArray topic = message.topic.toUtf8();
        mosquitto_publish(client_, nullptr, topic.constData(),
                          static_cast<int>(message.payload.size()), message.payload.constData(), 1,
                          message.retain);
    }
}

}  // namespace pelta::watch
