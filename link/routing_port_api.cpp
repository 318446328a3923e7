#include "link/routing_port_api.h"

#include "link/port_url.h"

namespace pelta::link {

PortHandleValue RoutingPortApi::CreateFile(const std::string& deviceName) {
    last_ = IsNetworkPortName(deviceName) ? static_cast<PortApi*>(&network_) : &serial_;
    lastOpened_ = last_;
    const PortHandleValue handle = last_->CreateFile(deviceName);
    if (handle != InvalidHandleValue && last_ == &network_) {
        networkHandles_.insert(handle);
    }
    return handle;
}

PortApi& RoutingPortApi::Route(PortHandleValue handle) {
    if (networkHandles_.contains(handle)) {
        last_ = &network_;
    } else {
        last_ = handle == InvalidHandleValue ? lastOpened_ : &serial_;
    }
    return *last_;
}

bool RoutingPortApi::CloseHandle(PortHandleValue handle) {
    PortApi& api = Route(handle);
    networkHandles_.erase(handle);
    return api.CloseHandle(handle);
}

}  // namespace pelta::link
