morvatel_e2e_test(triggers_e2e ${CMAKE_CURRENT_LIST_DIR}/triggers_e2e.py SKIP_RETURN_CODE 77 RESOURCE_LOCK ntp_port_123)
