#pragma once

// How the mail connection is protected; the user name and password go over it.
enum class ConnectionSecurity {
    StartTls, // plain connection switched to TLS by STARTTLS before anything else; required
    Tls,      // TLS from the first byte ("SSL/TLS", usually port 465)
    None,     // no encryption at all
};
