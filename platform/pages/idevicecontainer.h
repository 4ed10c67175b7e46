#pragma once

/**
 * What the device containers of this library offer besides being a page. The main window
 * does not use it; it is the hook for the device pages' own collaborators.
 */
class iDeviceContainer
{
public:
    virtual ~iDeviceContainer() = default;
};
