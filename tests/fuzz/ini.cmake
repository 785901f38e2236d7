vod_fuzz(ini vod_core vod_platform)
