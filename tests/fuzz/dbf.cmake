vod_fuzz(dbf vod_platform vod_core)
