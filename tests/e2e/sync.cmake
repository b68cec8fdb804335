# Both serve on loopback port 123 (on different addresses) and must not run
# beside another test that does. 77: no root or no chronyd here.
morvatel_e2e_test(sync_fake_server ${CMAKE_CURRENT_LIST_DIR}/sync_fake_server.py
    RESOURCE_LOCK ntp_port_123 SKIP_RETURN_CODE 77)
morvatel_e2e_test(sync_chronyd ${CMAKE_CURRENT_LIST_DIR}/sync_chronyd.py
    RESOURCE_LOCK ntp_port_123 SKIP_RETURN_CODE 77)
