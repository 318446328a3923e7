#pragma once
// The MQTT output of `pelta-ctl watch`, on libmosquitto. A thread of its own holds the
// connection: it connects, reconnects to a broker that went away (waiting 1 s, then longer, up to
// 10 s) and answers Home Assistant's "online" by sending discovery again. The caller's Publish
// only queues messages and never waits on the network, so a lost broker never holds up the
// rounds or the other outputs.
//
// While connected the broker holds "online" on the publisher's availability topic, with a last
// will of "offline" for a publisher that dies; a publisher destroyed in good order says "offline"
// itself.

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/ctl/watch/mqtt_messages.h"
#include "tools/ctl/watch/mqtt_url.h"
#include "tools/ctl/watch/reading.h"

struct mosquitto;
struct mosquitto_message;

namespace pelta::watch {

class MqttPublisher {
  public:
    MqttPublisher(const MqttTarget& target, const QString& port);
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // The round's states; discovery first for an address not seen before. While the broker is
    // away they are kept, and the latest per address goes out on reconnecting.
    void Publish(const std::vector<Reading>& round);
    bool Connected() const { return connected_; }

  private:
    static void OnConnect(mosquitto*, void* self, int result);
    static void OnDisconnect(mosquitto*, void* self, int result);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

    void Run();
    void ConnectAndServe();
    void SayGoodbye();
    void SendAll(bool withStates);  // caller holds mutex_
    void Send(const std::vector<MqttMessage>& messages);

    MqttTarget target_;
    QString port_;
    mosquitto* client_ = nullptr;
    std::mutex mutex_;
    std::map<int, Reading> latest_;  // by address
    std::condition_variable stopRequested_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> servedThisTry_{false};  // the broker took the last connection
    std::thread thread_;
};

}  // namespace pelta::watch
